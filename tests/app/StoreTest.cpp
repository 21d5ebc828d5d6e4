#include "Store.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
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

// Runs child in a forked process and returns its wait status. The child ends
// with _exit(0) after child returns, _exit(1) when it throws, or by a signal
// it raises itself.
int runInChild(const std::function<void()> &child)
{
    const pid_t pid = fork();
    if (pid == 0) {
        try {
            child();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
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

    Rule filing;
    filing.id = QUuid::createUuid();
    filing.name = QStringLiteral("Rechnungen");
    filing.conditions = {Condition{QUuid::createUuid(), Condition::Field::sender, Condition::Operator::contains,
                                   QStringLiteral("Telekom, Vodafone")}};
    filing.actions = {RuleAction{QUuid::createUuid(), RuleAction::Kind::rename, QStringLiteral("{datum} {absender}")}};
    filing.createdFromPrompt = QStringLiteral("Telefonrechnungen umbenennen");
    StoredRule rule(filing, folder.uuid, 7);
    StoredRule everyFolder;
    everyFolder.order = -1;

    JournalEntry entry(QUuid::createUuid(), QStringLiteral("Rechnungen"), QStringLiteral("/home/anna/Downloads/a.pdf"),
                       QStringLiteral("/home/anna/Documents/2025/a.pdf"), JournalEntry::Status::failed);
    entry.message = QStringLiteral("Permission denied");
    entry.setPerformed(Performed{QStringLiteral("/home/anna/Downloads/a.pdf"),
                                 QStringLiteral("/home/anna/Documents/2025/a.pdf"),
                                 {QStringLiteral("/home/anna/Backup/a.pdf")},
                                 {QStringLiteral("Steuer")},
                                 std::nullopt});
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
        ASSERT_TRUE(store->insert(folder));
        ASSERT_TRUE(store->insert(place));
        ASSERT_TRUE(store->insert(rule));
        ASSERT_TRUE(store->insert(everyFolder));
        ASSERT_TRUE(store->insert(entry));
        ASSERT_TRUE(store->insert(bare));
        ASSERT_TRUE(store->insert(waiting));
        ASSERT_TRUE(store->insert(record));
        EXPECT_GT(folder.id, 0);
        EXPECT_NE(folder.id, place.id);
    }

    auto store = openStore();
    EXPECT_EQ(store->folders(), (QList<WatchedFolder>{folder, place}));
    EXPECT_EQ(store->folder(place.uuid), place);
    EXPECT_FALSE(store->folder(QUuid::createUuid()));
    EXPECT_EQ(store->rules(), (QList<StoredRule>{everyFolder, rule}));
    EXPECT_EQ(store->rule(rule.uuid), rule);
    EXPECT_EQ(store->rule(rule.uuid)->rule(), filing);
    const auto journal = store->journal();
    ASSERT_EQ(journal.size(), 3);
    EXPECT_TRUE(journal.contains(entry));
    EXPECT_TRUE(journal.contains(bare));
    EXPECT_TRUE(journal.contains(waiting));
    EXPECT_EQ(store->journal(JournalEntry::Status::review).value(0).plan(), waiting.plan());
    EXPECT_TRUE(waiting.plan());
    EXPECT_EQ(store->journalEntry(entry.id)->recognition(), entry.recognition());
    EXPECT_EQ(store->journalEntry(entry.id)->performed(), entry.performed());
    EXPECT_TRUE(entry.performed());
    EXPECT_EQ(store->journalEntry(entry.id)->planData, QByteArray(""));
    EXPECT_FALSE(store->journalEntry(bare.id)->planData);
    EXPECT_EQ(store->recognitionRecords(), QList<RecognitionRecord>{record});
    EXPECT_EQ(store->recognitionRecords(QStringLiteral("abc123")), QList<RecognitionRecord>{record});
    EXPECT_TRUE(store->recognitionRecords(QStringLiteral("abc")).isEmpty());

    // Changes and removals last as well.
    entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::undone);
    entry.setRecognition(std::nullopt);
    entry.fileID.reset();
    ASSERT_TRUE(store->update(entry));
    ASSERT_TRUE(store->remove(place));
    ASSERT_TRUE(store->remove(everyFolder));
    store.reset();
    store = openStore();
    EXPECT_EQ(store->journalEntry(entry.id), entry);
    EXPECT_EQ(store->folders(), QList<WatchedFolder>{folder});
    EXPECT_EQ(store->rules(), QList<StoredRule>{rule});
    EXPECT_EQ(store->count(Store::Model::watchedFolder), 1);
    EXPECT_EQ(store->count(Store::Model::storedRule), 1);
    EXPECT_EQ(store->count(Store::Model::journalEntry), 3);
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 1);
}

TEST_F(StoreTest, SignalsFollowEachChangeThatReachedTheFile)
{
    auto store = openStore();
    struct Announced
    {
        Store::Model model;
        qint64 id;
        Store::Change change;
    };
    std::vector<Announced> spy;
    QObject::connect(store.get(), &Store::changed, [&](Store::Model model, qint64 id, Store::Change change) {
        spy.push_back({model, id, change});
    });
    WatchedFolder folder;
    ASSERT_TRUE(store->insert(folder));
    ASSERT_TRUE(store->update(folder));
    ASSERT_TRUE(store->remove(folder));
    ASSERT_EQ(spy.size(), 3);
    EXPECT_EQ(spy.at(0).model, Store::Model::watchedFolder);
    EXPECT_EQ(spy.at(0).id, folder.id);
    EXPECT_EQ(spy.at(0).change, Store::Change::inserted);
    EXPECT_EQ(spy.at(1).change, Store::Change::updated);
    EXPECT_EQ(spy.at(2).change, Store::Change::removed);

    // A record that is not stored is neither changed nor announced.
    spy.clear();
    EXPECT_FALSE(store->update(folder));
    EXPECT_FALSE(store->remove(folder));
    EXPECT_TRUE(spy.empty());

    // A batch announces its changes after the commit, and nothing when it fails.
    JournalEntry first;
    JournalEntry second;
    EXPECT_TRUE(store->batch([&] {
        store->insert(first);
        store->insert(second);
        EXPECT_TRUE(spy.empty());
    }));
    ASSERT_EQ(spy.size(), 2);
    EXPECT_EQ(spy.at(1).id, second.id);
    EXPECT_EQ(spy.at(1).model, Store::Model::journalEntry);
    spy.clear();
    JournalEntry third;
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
    const QDateTime start = at(2025, 5, 1);
    QList<JournalEntry> entries;
    const QStringList statuses{QStringLiteral("done"), QStringLiteral("review"), QStringLiteral("Done"),
                               QStringLiteral("failed"), QStringLiteral("review"), QString()};
    for (int i = 0; i < statuses.size(); ++i) {
        JournalEntry entry;
        entry.statusRaw = statuses.at(i);
        entry.date = start.addSecs(60 * i);
        ASSERT_TRUE(store->insert(entry));
        entries.append(entry);
    }
    // Two entries at the same moment come newest-inserted first.
    JournalEntry sameTime;
    sameTime.date = entries.last().date;
    ASSERT_TRUE(store->insert(sameTime));

    const auto newest = store->journal(3);
    ASSERT_EQ(newest.size(), 3);
    EXPECT_EQ(newest.at(0).uuid, sameTime.uuid);
    EXPECT_EQ(newest.at(1).uuid, entries.at(5).uuid);
    EXPECT_EQ(newest.at(2).uuid, entries.at(4).uuid);

    const auto review = store->journal(JournalEntry::Status::review);
    ASSERT_EQ(review.size(), 2);
    EXPECT_EQ(review.at(0).uuid, entries.at(4).uuid);
    EXPECT_EQ(review.at(1).uuid, entries.at(1).uuid);

    // "Done", the empty text and "done" all read as done.
    const auto done = store->journal(JournalEntry::Status::done);
    ASSERT_EQ(done.size(), 4);
    for (const JournalEntry &entry : done)
        EXPECT_EQ(entry.status(), JournalEntry::Status::done);

    EXPECT_EQ(store->journalCount(entries.at(3).date), 4);

    // Due for the Trash: done, with a due date that has come.
    entries[0].trashDue = at(2025, 6, 1);
    entries[2].trashDue = at(2025, 5, 20);
    entries[3].trashDue = at(2025, 5, 1); // failed: not swept
    entries[5].trashDue = at(2025, 7, 1); // not yet
    for (const int i : {0, 2, 3, 5})
        ASSERT_TRUE(store->update(entries.at(i)));
    const auto due = store->journalDueForTrash(at(2025, 6, 1));
    ASSERT_EQ(due.size(), 2);
    EXPECT_EQ(due.at(0).uuid, entries.at(2).uuid);
    EXPECT_EQ(due.at(1).uuid, entries.at(0).uuid);
}

TEST_F(StoreTest, ReceiptsOfAMonthByTheUtcCalendar)
{
    auto store = openStore();
    auto add = [&](DocumentKind kind, std::optional<QDateTime> date) {
        RecognitionRecord record(QString(), QString(), QString(), recognitionOf(kind, date));
        EXPECT_TRUE(store->insert(record));
        return record;
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
    // Equal dates keep the order in which the records were made.
    const auto alsoMidMarch = add(DocumentKind::invoice, at(2025, 3, 15));

    auto ids = [](const QList<RecognitionRecord> &records) {
        QList<qint64> result;
        for (const auto &record : records)
            result.append(record.id);
        return result;
    };
    EXPECT_EQ(ids(store->receipts(2025, 3)),
              (QList<qint64>{firstOfMarch.id, midMarch.id, alsoMidMarch.id, lateMarch.id}));
    EXPECT_TRUE(store->receipts(2025, 13).isEmpty());

    // A payload that cannot be read is of kind other and leaves the month;
    // a corrected date moves the record to its new month.
    midMarch.payload = QByteArray("not json");
    ASSERT_TRUE(store->update(midMarch));
    EXPECT_EQ(store->receipts(2025, 3).size(), 3);
    Recognition corrected = recognitionOf(DocumentKind::receipt, at(2024, 12, 31));
    midMarch.setRecognition(corrected);
    ASSERT_TRUE(store->update(midMarch));
    EXPECT_EQ(ids(store->receipts(2024, 12)), QList<qint64>{midMarch.id});
}

TEST_F(StoreTest, AStoreThatCannotBeOpenedIsLeftAlone)
{
    // A file that is no database.
    const QString text = storePath(QStringLiteral("notes.store"));
    const QByteArray notes = QByteArray("These are my notes, not a database.\n").repeated(200);
    ASSERT_TRUE(TestSupport::writeFile(text, notes));
    try {
        Store::open(text);
        FAIL() << "opened a text file";
    } catch (const DatabaseError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("file is not a database"));
    }
    EXPECT_EQ(TestSupport::readFile(text), notes);
    EXPECT_FALSE(QFileInfo::exists(text + QStringLiteral("-wal")));

    // A store whose table of tables is damaged.
    const QString damaged = storePath(QStringLiteral("damaged.store"));
    {
        auto store = Store::open(damaged);
        WatchedFolder folder;
        store->insert(folder);
    }
    QByteArray bytes = TestSupport::readFile(damaged);
    ASSERT_GT(bytes.size(), 4096);
    for (int i = 100; i < 4096; ++i)
        bytes[i] = char(0x5a);
    ASSERT_TRUE(TestSupport::writeFile(damaged, bytes));
    EXPECT_THROW(Store::open(damaged), DatabaseError);
    EXPECT_EQ(TestSupport::readFile(damaged), bytes);

    // A database of another program is not filled with our tables.
    const QString foreign = storePath(QStringLiteral("foreign.db"));
    {
        auto database = Database::open(foreign);
        database.execute("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('keep me')");
    }
    const QByteArray foreignBytes = TestSupport::readFile(foreign);
    EXPECT_THROW(Store::open(foreign), DatabaseError);
    EXPECT_EQ(TestSupport::readFile(foreign), foreignBytes);

    // A folder in place of the file.
    EXPECT_THROW(Store::open(m_dir.path()), DatabaseError);

    // A folder that does not exist is not made.
    const QString missing = storePath(QStringLiteral("missing/sub/test.store"));
    EXPECT_THROW(Store::open(missing), DatabaseError);
    EXPECT_FALSE(QFileInfo::exists(storePath(QStringLiteral("missing"))));

    // A store written by a newer version.
    {
        auto store = openStore(QStringLiteral("newer.store"));
        JournalEntry entry;
        store->insert(entry);
    }
    {
        auto database = Database::open(storePath(QStringLiteral("newer.store")));
        database.execute("PRAGMA user_version = 99");
    }
    EXPECT_THROW(Store::open(storePath(QStringLiteral("newer.store"))), DatabaseError);
    {
        auto database = Database::open(storePath(QStringLiteral("newer.store")));
        auto query = database.query("SELECT count(*) FROM journalEntry");
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.integer(0), 1);
    }

    // A store the process may not write to (root may write anywhere).
    if (geteuid() != 0) {
        const QString locked = storePath(QStringLiteral("locked.store"));
        openStore(QStringLiteral("locked.store"));
        QFile::setPermissions(locked, QFile::ReadOwner);
        EXPECT_THROW(Store::open(locked), DatabaseError);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
    }
}

TEST_F(StoreTest, ANewStoreGetsTheCurrentTables)
{
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

TEST_F(StoreTest, AStoreThatCannotBeOpenedEndsTheProcessWithItsMessage)
{
    const QString path = storePath(QStringLiteral("broken.store"));
    ASSERT_TRUE(TestSupport::writeFile(path, QByteArray(4096, 'x')));
    const std::string expected =
        Store::openFailureMessage(path, QStringLiteral("file is not a database")).toStdString() + "\n";
    ::testing::FLAGS_gtest_death_test_style = "fast";
    EXPECT_EXIT(
        {
            qputenv("APP_STORE", path.toUtf8());
            Store::makeContainer();
        },
        ::testing::ExitedWithCode(1), ::testing::Eq(expected));
    EXPECT_EQ(TestSupport::readFile(path), QByteArray(4096, 'x'));
}

TEST_F(StoreTest, TheStoreLocation)
{
    const QByteArray saved = qgetenv("APP_STORE");
    const QString dataHome = m_dir.filePath(QStringLiteral("data"));
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dataHome.toUtf8());

    qputenv("APP_STORE", "");
    EXPECT_FALSE(Store::isOverridden());
    const QString first = Store::url();
    EXPECT_EQ(first, dataHome + QStringLiteral("/Filewright/Filewright.store"));
    EXPECT_TRUE(QFileInfo(dataHome + QStringLiteral("/Filewright")).isDir());
    EXPECT_EQ(Store::url(), first);

    qputenv("APP_STORE", "relative/test.store");
    EXPECT_TRUE(Store::isOverridden());
    EXPECT_EQ(Store::url(), QDir::current().absoluteFilePath(QStringLiteral("relative/test.store")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("relative")));

    qputenv("APP_STORE", saved);
    qputenv("XDG_DATA_HOME", savedData);
}

TEST_F(StoreTest, AFinishedChangeSurvivesTheProcessBeingKilled)
{
    JournalEntry kept;
    kept.setRecognition(recognitionOf(DocumentKind::invoice, at(2025, 1, 1)));
    {
        auto store = openStore();
        ASSERT_TRUE(store->insert(kept));
    }
    const QString path = storePath();
    JournalEntry written;
    written.message = QStringLiteral("written right before the end");
    RecognitionRecord cached(QStringLiteral("7"), QStringLiteral("hash"), QStringLiteral("/a.pdf"),
                             recognitionOf(DocumentKind::receipt, at(2025, 1, 1)));
    const int status = runInChild([&] {
        auto store = Store::open(path);
        JournalEntry changed = *store->journalEntry(kept.id);
        changed.statusRaw = QStringLiteral("undone");
        if (!store->update(changed) || !store->insert(written) || !store->insert(cached))
            _exit(2);
        kill(getpid(), SIGKILL);
    });
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);

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
            if (i % 100 == 99) {
                // Now and then a batch, which holds the lock longer.
                if (!store->batch([&] {
                        for (int j = 0; j < 50; ++j) {
                            JournalEntry inBatch;
                            inBatch.ruleName = who;
                            store->insert(inBatch);
                        }
                    }))
                    return false;
            }
            if (!store->insert(entry))
                return false;
        }
        return true;
    };

    int start[2];
    ASSERT_EQ(pipe(start), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        char go = 0;
        close(start[1]);
        if (read(start[0], &go, 1) != 1)
            _exit(3);
        _exit(writeMany(QStringLiteral("child")) ? 0 : 2);
    }
    close(start[0]);
    ASSERT_EQ(write(start[1], "g", 1), 1);
    close(start[1]);
    const bool parentWrote = writeMany(QStringLiteral("parent"));
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(parentWrote);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    constexpr int expected = perProcess + (perProcess / 100) * 50;
    auto database = Database::open(path);
    auto counts = database.query("SELECT ruleName, count(*) FROM journalEntry GROUP BY ruleName ORDER BY ruleName");
    ASSERT_TRUE(counts.next());
    EXPECT_EQ(counts.text(0), QStringLiteral("child"));
    EXPECT_EQ(counts.integer(1), expected);
    ASSERT_TRUE(counts.next());
    EXPECT_EQ(counts.text(0), QStringLiteral("parent"));
    EXPECT_EQ(counts.integer(1), expected);
    auto check = database.query("PRAGMA integrity_check");
    ASSERT_TRUE(check.next());
    EXPECT_EQ(check.text(0), QStringLiteral("ok"));
}

} // namespace
