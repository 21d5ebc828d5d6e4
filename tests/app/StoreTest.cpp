#include "Store.h"

#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <limits>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QDateTime at(int year, int month, int day, int hour = 12, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

Recognition recognitionOf(DocumentKind kind, std::optional<QDateTime> date)
{
    Recognition recognition;
    recognition.kind = kind;
    recognition.sender = QStringLiteral("Stadtwerke Köln");
    recognition.date = date;
    recognition.amount = Decimal::fromString(u"42.50");
    recognition.currency = QStringLiteral("EUR");
    recognition.confidence = 0.9;
    recognition.readAt = at(2025, 3, 1);
    return recognition;
}

template<typename Record>
QList<QUuid> uuids(const QList<Record> &records)
{
    QList<QUuid> result;
    for (const auto &record : records)
        result.append(record.uuid);
    return result;
}

class StoreTest : public ::testing::Test
{
protected:
    QString storePath(const QString &name = QStringLiteral("test.store")) const { return m_dir.filePath(name); }
    std::unique_ptr<Store> openStore(const QString &name = QStringLiteral("test.store")) const
    {
        return Store::open(storePath(name));
    }

    QTemporaryDir m_dir;
};

TEST_F(StoreTest, EveryModelSurvivesClosingAndReopening)
{
    WatchedFolder folder(QStringLiteral("/home/anna/Downloads"), QByteArray("bookmark\0bytes", 14), true);
    folder.includeSubfolders = true;
    folder.createdAt = at(2025, 1, 2, 3, 4).addMSecs(567);
    WatchedFolder place(QStringLiteral("/home/anna/Documents"), QByteArray(), false);
    place.needsReselect = true;
    place.isEnabled = false;

    Rule filing{QUuid::createUuid(), QStringLiteral("Rechnungen")};
    filing.actions = {RuleAction{QUuid::createUuid(), RuleAction::Kind::rename, QStringLiteral("{datum} {absender}")}};
    StoredRule rule(filing, folder.uuid, 7);
    StoredRule everyFolder;
    everyFolder.order = -1;

    JournalEntry entry(QUuid::createUuid(), QStringLiteral("Rechnungen"), QStringLiteral("/home/anna/Downloads/a.pdf"),
                       QStringLiteral("/home/anna/Documents/2025/a.pdf"), JournalEntry::Status::failed);
    entry.message = QStringLiteral("Permission denied");
    entry.setPerformed(Performed{entry.originalPath, entry.newPath, {QStringLiteral("/home/anna/Backup/a.pdf")},
                                 {QStringLiteral("Steuer")}, std::nullopt});
    entry.planData = QByteArray(""); // present but empty is not absent
    entry.setRecognition(recognitionOf(DocumentKind::invoice, at(2025, 2, 3)));
    entry.trashDue = at(2025, 4, 1);
    entry.fileID = std::numeric_limits<quint64>::max();
    JournalEntry bare;
    JournalEntry waiting(std::nullopt, QStringLiteral("Rechnungen"), QStringLiteral("/home/anna/Downloads/b.pdf"),
                         QString(), JournalEntry::Status::review);
    waiting.setPlan(Plan{filing.id, waiting.originalPath, QStringLiteral("/home/anna/Documents/b.pdf"), {}, {},
                         std::nullopt, std::nullopt, {QStringLiteral("absender")}});

    RecognitionRecord record(QStringLiteral("1234567890"), QStringLiteral("abc123"),
                             QStringLiteral("/home/anna/Downloads/a.pdf"),
                             recognitionOf(DocumentKind::receipt, at(2025, 2, 3)));
    record.edited = true;

    {
        auto store = openStore();
        ASSERT_TRUE(store->insert(folder) && store->insert(place) && store->insert(rule) && store->insert(everyFolder)
                    && store->insert(entry) && store->insert(bare) && store->insert(waiting) && store->insert(record));
        EXPECT_GT(folder.id, 0);
        EXPECT_NE(folder.id, place.id);
    }

    auto store = openStore();
    EXPECT_EQ(store->folders(), (QList<WatchedFolder>{folder, place}));
    EXPECT_EQ(store->folder(place.uuid), place);
    EXPECT_FALSE(store->folder(QUuid::createUuid()));
    EXPECT_EQ(store->rules(), (QList<StoredRule>{everyFolder, rule}));
    EXPECT_EQ(store->rule(rule.uuid)->rule(), filing);
    EXPECT_THAT(store->journal(), ::testing::UnorderedElementsAre(entry, bare, waiting));
    EXPECT_EQ(store->recognitionRecords(), QList<RecognitionRecord>{record});
    EXPECT_EQ(store->recognitionRecords(QStringLiteral("abc123")), QList<RecognitionRecord>{record});
    EXPECT_TRUE(store->recognitionRecords(QStringLiteral("abc")).isEmpty());

    // Changes and removals last as well.
    entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::undone);
    entry.setRecognition(std::nullopt);
    entry.fileID.reset();
    ASSERT_TRUE(store->update(entry) && store->remove(place) && store->remove(everyFolder));
    store = openStore();
    EXPECT_EQ(store->journalEntry(entry.id), entry);
    EXPECT_EQ(store->folders(), QList<WatchedFolder>{folder});
    EXPECT_EQ(store->rules(), QList<StoredRule>{rule});
    EXPECT_EQ(store->count(Store::Model::watchedFolder), 1);
    EXPECT_EQ(store->count(Store::Model::storedRule), 1);
    EXPECT_EQ(store->count(Store::Model::journalEntry), 3);
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 1);

    // A store of the first version gains the step under way of its entries.
    store.reset();
    Database::open(storePath()).execute(
        "DROP INDEX journalEntryWithMadeFolders; DROP INDEX journalEntryByIntent; "
        "ALTER TABLE journalEntry DROP COLUMN intent; PRAGMA user_version = 1");
    store = openStore();
    EXPECT_EQ(store->journalEntry(entry.id), entry);
    entry.intentData = QByteArray("{\"kind\":\"undo\"}");
    ASSERT_TRUE(store->update(entry));
    EXPECT_EQ(openStore()->journalUnderWay(), QList<JournalEntry>{entry});
}

// An undo looks up the filings that made folders among all entries: only
// those records come back, from a store of an older version too, and the
// lookup reads an index rather than the whole journal.
TEST_F(StoreTest, FilingsThatMadeFoldersAreFoundWithoutReadingTheWholeJournal)
{
    auto store = openStore();
    JournalEntry plain, made, unfiled;
    plain.performedData = QByteArray(R"({"original":"file:///a.pdf","destination":"file:///b.pdf"})");
    made.performedData = QByteArray(R"({"original":"file:///a.pdf","destination":"file:///x/b.pdf",)"
                                    R"("madeFolders":[{"path":"file:///x","device":"1","inode":"2"}]})");
    ASSERT_TRUE(store->insert(plain) && store->insert(made) && store->insert(unfiled));
    EXPECT_EQ(store->journalWithMadeFolders(), QList<JournalEntry>{made});

    store.reset();
    Database::open(storePath()).execute("DROP INDEX journalEntryWithMadeFolders; PRAGMA user_version = 2");
    store = openStore();
    EXPECT_EQ(store->journalWithMadeFolders(), QList<JournalEntry>{made});
    auto database = Database::open(storePath());
    auto plan = database.query(
        "EXPLAIN QUERY PLAN SELECT id FROM journalEntry "
        "WHERE instr(performedData, CAST('\"madeFolders\"' AS BLOB)) > 0 ORDER BY id");
    ASSERT_TRUE(plan.next());
    EXPECT_TRUE(plan.text(3).contains(QStringLiteral("journalEntryWithMadeFolders"))) << plan.text(3).toStdString();
}

TEST_F(StoreTest, SignalsFollowEachChangeThatReachedTheFile)
{
    auto store = openStore();
    using Announced = std::tuple<Store::Model, qint64, Store::Change>;
    std::vector<Announced> spy;
    QObject::connect(store.get(), &Store::changed, [&](Store::Model model, qint64 id, Store::Change change) {
        spy.emplace_back(model, id, change);
    });
    WatchedFolder folder;
    ASSERT_TRUE(store->insert(folder) && store->update(folder) && store->remove(folder));
    constexpr auto watched = Store::Model::watchedFolder;
    EXPECT_EQ(spy, (std::vector<Announced>{{watched, folder.id, Store::Change::inserted},
                                           {watched, folder.id, Store::Change::updated},
                                           {watched, folder.id, Store::Change::removed}}));

    // A record that is not stored is neither changed nor announced.
    spy.clear();
    EXPECT_FALSE(store->update(folder) || store->remove(folder));
    EXPECT_TRUE(spy.empty());

    // A batch announces its changes after the commit, and nothing when it fails.
    JournalEntry first, second, third;
    EXPECT_TRUE(store->batch([&] {
        store->insert(first);
        store->insert(second);
        EXPECT_TRUE(spy.empty());
    }));
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy.at(1), (Announced{Store::Model::journalEntry, second.id, Store::Change::inserted}));
    spy.clear();
    EXPECT_THROW(store->batch([&] {
        store->insert(third);
        throw std::runtime_error("interrupted");
    }),
                 std::runtime_error);
    EXPECT_TRUE(spy.empty());
    EXPECT_FALSE(store->journalEntry(third.id));
    EXPECT_EQ(store->count(Store::Model::journalEntry), 2);
}

TEST_F(StoreTest, JournalQueries)
{
    auto store = openStore();
    QList<JournalEntry> entries;
    const QStringList statuses{QStringLiteral("done"), QStringLiteral("review"), QStringLiteral("Done"),
                               QStringLiteral("failed"), QStringLiteral("review"), QString()};
    for (int i = 0; i < statuses.size(); ++i) {
        JournalEntry entry;
        entry.statusRaw = statuses.at(i);
        entry.date = at(2025, 5, 1).addSecs(60 * i);
        ASSERT_TRUE(store->insert(entry));
        entries.append(entry);
    }
    // Two entries at the same moment come newest-inserted first.
    JournalEntry sameTime;
    sameTime.date = entries.last().date;
    ASSERT_TRUE(store->insert(sameTime));

    EXPECT_EQ(uuids(store->journal(3)), (QList<QUuid>{sameTime.uuid, entries.at(5).uuid, entries.at(4).uuid}));
    EXPECT_EQ(uuids(store->journal(JournalEntry::Status::review)), (QList<QUuid>{entries.at(4).uuid, entries.at(1).uuid}));
    // "Done", the empty text and "done" all read as done.
    const auto done = store->journal(JournalEntry::Status::done);
    EXPECT_EQ(done.size(), 4);
    for (const JournalEntry &entry : done)
        EXPECT_EQ(entry.status(), JournalEntry::Status::done);
    // Counted without reading them, by the same reading of the status.
    EXPECT_EQ(store->journalCount(JournalEntry::Status::done), 4);
    EXPECT_EQ(store->journalCount(JournalEntry::Status::review), 2);
    EXPECT_EQ(store->journalCount(JournalEntry::Status::skipped), 0);
    EXPECT_EQ(store->journalCount(entries.at(3).date), 4);
    // Which entries are due for the Trash is TrashSweepTest's.
}

TEST_F(StoreTest, ReceiptsOfAMonthByTheUtcCalendar)
{
    auto store = openStore();
    auto add = [&](DocumentKind kind, std::optional<QDateTime> date) {
        RecognitionRecord record(QString(), QString(), QString(), recognitionOf(kind, date));
        EXPECT_TRUE(store->insert(record));
        return record;
    };
    auto ids = [](const QList<RecognitionRecord> &records) {
        QList<qint64> result;
        for (const auto &record : records)
            result.append(record.id);
        return result;
    };
    const auto lateMarch = add(DocumentKind::receipt, at(2025, 3, 31, 23, 59));
    const auto firstOfMarch = add(DocumentKind::invoice, at(2025, 3, 1, 0, 0));
    add(DocumentKind::invoice, at(2025, 2, 28, 23, 59));
    add(DocumentKind::receipt, at(2025, 4, 1, 0, 0));
    add(DocumentKind::receipt, std::nullopt);
    for (const DocumentKind kind : DocumentKinds::allCases) {
        if (!DocumentKinds::isReceipt(kind))
            add(kind, at(2025, 3, 15));
    }
    auto midMarch = add(DocumentKind::receipt, at(2025, 3, 15));
    // Of equal dates the one read last comes first.
    const auto alsoMidMarch = add(DocumentKind::invoice, at(2025, 3, 15));
    EXPECT_EQ(ids(store->receipts(2025, 3)),
              (QList<qint64>{firstOfMarch.id, alsoMidMarch.id, midMarch.id, lateMarch.id}));
    EXPECT_EQ(store->latestReceiptDate(), at(2025, 4, 1, 0, 0));
    EXPECT_TRUE(store->receipts(2025, 13).isEmpty());

    // A payload that cannot be read is of kind other and leaves the month;
    // a corrected date moves the record to its new month.
    midMarch.payload = QByteArray("not json");
    ASSERT_TRUE(store->update(midMarch));
    EXPECT_EQ(store->receipts(2025, 3).size(), 3);
    midMarch.setRecognition(recognitionOf(DocumentKind::receipt, at(2024, 12, 31)));
    ASSERT_TRUE(store->update(midMarch));
    EXPECT_EQ(ids(store->receipts(2024, 12)), QList<qint64>{midMarch.id});
}

TEST_F(StoreTest, AStoreThatCannotBeOpenedIsLeftAlone)
{
    // Refused, with the file's bytes as they were and nothing beside it.
    auto expectRefused = [](const QString &path) {
        const QByteArray before = TestSupport::readFile(path);
        EXPECT_THROW(Store::open(path), DatabaseError) << path.toStdString();
        EXPECT_EQ(TestSupport::readFile(path), before) << path.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-wal"))) << path.toStdString();
    };

    const QString text = storePath(QStringLiteral("notes.store"));
    ASSERT_TRUE(TestSupport::writeFile(text, QByteArray("These are my notes, not a database.\n").repeated(200)));
    try {
        Store::open(text);
        FAIL() << "opened a text file";
    } catch (const DatabaseError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("file is not a database"));
    }
    expectRefused(text);
    // That the application then ends with the message is the executable's test.
    // A store whose table of tables is damaged.
    const QString damaged = storePath(QStringLiteral("damaged.store"));
    {
        WatchedFolder folder;
        Store::open(damaged)->insert(folder);
    }
    QByteArray bytes = TestSupport::readFile(damaged);
    ASSERT_GT(bytes.size(), 4096);
    bytes.replace(100, 4096 - 100, QByteArray(4096 - 100, char(0x5a)));
    ASSERT_TRUE(TestSupport::writeFile(damaged, bytes));
    expectRefused(damaged);

    // A database of another program is not filled with our tables.
    const QString foreign = storePath(QStringLiteral("foreign.db"));
    Database::open(foreign).execute("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('keep me')");
    expectRefused(foreign);

    // A store written by a newer version.
    const QString newer = storePath(QStringLiteral("newer.store"));
    {
        JournalEntry entry;
        Store::open(newer)->insert(entry);
    }
    Database::open(newer).execute("PRAGMA user_version = 99");
    expectRefused(newer);

    // A store the process may not write to (root may write anywhere).
    if (geteuid() != 0) {
        const QString locked = storePath(QStringLiteral("locked.store"));
        openStore(QStringLiteral("locked.store"));
        QFile::setPermissions(locked, QFile::ReadOwner);
        EXPECT_THROW(Store::open(locked), DatabaseError);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
    }

    // A folder in place of the file; a folder that does not exist is not made.
    EXPECT_THROW(Store::open(m_dir.path()), DatabaseError);
    EXPECT_THROW(Store::open(storePath(QStringLiteral("missing/sub/test.store"))), DatabaseError);
    EXPECT_FALSE(QFileInfo::exists(storePath(QStringLiteral("missing"))));

    // An empty file (as a crash right after creating it leaves) is a new store.
    ASSERT_TRUE(TestSupport::writeFile(storePath(), QByteArray()));
    openStore();
    auto database = Database::open(storePath());
    auto version = database.query("PRAGMA user_version");
    ASSERT_TRUE(version.next());
    EXPECT_EQ(version.integer(0), Store::schemaVersion);
    auto mode = database.query("PRAGMA journal_mode");
    ASSERT_TRUE(mode.next());
    EXPECT_EQ(mode.text(0), QStringLiteral("wal"));
}

TEST_F(StoreTest, TheStoreLocation)
{
    const QString dataHome = m_dir.filePath(QStringLiteral("data"));
    const ScopedEnv data("XDG_DATA_HOME", dataHome.toUtf8());
    {
        const ScopedEnv store("APP_STORE", QByteArray());
        EXPECT_FALSE(Store::isOverridden());
        EXPECT_EQ(Store::url(), dataHome + QStringLiteral("/Filewright/Filewright.store"));
        EXPECT_TRUE(QFileInfo(dataHome + QStringLiteral("/Filewright")).isDir());
    }
    const ScopedEnv store("APP_STORE", QByteArray("relative/test.store"));
    EXPECT_TRUE(Store::isOverridden());
    EXPECT_EQ(Store::url(), QDir::current().absoluteFilePath(QStringLiteral("relative/test.store")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("relative")));
}

TEST_F(StoreTest, AFinishedChangeSurvivesTheProcessBeingKilled)
{
    JournalEntry kept;
    kept.setRecognition(recognitionOf(DocumentKind::invoice, at(2025, 1, 1)));
    ASSERT_TRUE(openStore()->insert(kept));
    JournalEntry written;
    written.message = QStringLiteral("written right before the end");
    RecognitionRecord cached(QStringLiteral("7"), QStringLiteral("hash"), QStringLiteral("/a.pdf"),
                             recognitionOf(DocumentKind::receipt, at(2025, 1, 1)));
    const pid_t pid = fork();
    if (pid == 0) {
        auto store = openStore();
        JournalEntry changed = *store->journalEntry(kept.id);
        changed.statusRaw = QStringLiteral("undone");
        if (!store->update(changed) || !store->insert(written) || !store->insert(cached))
            _exit(2);
        kill(getpid(), SIGKILL);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

    auto store = openStore();
    EXPECT_EQ(store->journalEntry(kept.id)->status(), JournalEntry::Status::undone);
    const auto journal = store->journal();
    ASSERT_EQ(journal.size(), 2);
    EXPECT_EQ(journal.at(0).uuid, written.uuid);
    EXPECT_EQ(journal.at(0).message, written.message);
    EXPECT_EQ(store->recognitionRecords(QStringLiteral("hash")).size(), 1);
}

TEST_F(StoreTest, TwoProcessesWritingAtOnceLoseNothing)
{
    // Both start on a file that does not exist yet: one makes the tables,
    // the other waits and finds them.
    const QString path = storePath();
    constexpr int perProcess = 400;
    auto writeMany = [path](const QString &who) {
        auto store = Store::open(path);
        for (int i = 0; i < perProcess; ++i) {
            JournalEntry entry;
            entry.ruleName = who;
            // Now and then a batch, which holds the lock longer.
            if (i % 100 == 99 && !store->batch([&] {
                    for (int j = 0; j < 50; ++j) {
                        JournalEntry inBatch;
                        inBatch.ruleName = who;
                        store->insert(inBatch);
                    }
                }))
                return false;
            if (!store->insert(entry))
                return false;
        }
        return true;
    };

    const pid_t pid = fork();
    if (pid == 0)
        _exit(writeMany(QStringLiteral("child")) ? 0 : 2);
    EXPECT_TRUE(writeMany(QStringLiteral("parent")));
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    constexpr int expected = perProcess + (perProcess / 100) * 50;
    auto database = Database::open(path);
    auto counts = database.query("SELECT ruleName, count(*) FROM journalEntry GROUP BY ruleName ORDER BY ruleName");
    for (const char *who : {"child", "parent"}) {
        ASSERT_TRUE(counts.next()) << who;
        EXPECT_EQ(counts.text(0), QLatin1String(who));
        EXPECT_EQ(counts.integer(1), expected) << who;
    }
    EXPECT_FALSE(counts.next());
    auto check = database.query("PRAGMA integrity_check");
    ASSERT_TRUE(check.next());
    EXPECT_EQ(check.text(0), QStringLiteral("ok"));
}

} // namespace
