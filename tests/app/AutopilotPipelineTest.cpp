#include "AutopilotFixture.h"

#include "FilePass.h"
#include "FileReadiness.h"
#include "Plan.h"
#include "RuleTemplates.h"
#include "SampleDocumentFiles.h"
#include "SampleDocuments.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QSignalSpy>

#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SampleDocuments::Sample sample(const QString &fileName)
{
    for (const SampleDocuments::Sample &candidate : SampleDocuments::all()) {
        if (candidate.fileName == fileName)
            return candidate;
    }
    ADD_FAILURE() << "no sample " << fileName.toStdString();
    return {};
}

// Writes the samples somewhere else and moves them into the folder at once,
// as a finished download arrives.
void drop(const QString &folder, const QList<SampleDocuments::Sample> &samples, const QString &staging)
{
    for (const QString &path : SampleDocuments::write(staging, samples))
        ASSERT_TRUE(QFile::rename(path, folder + QLatin1Char('/') + QFileInfo(path).fileName()));
}

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(folder.size() + 1));
    files.sort();
    return files;
}

} // namespace

using AutopilotPipelineTest = AutopilotFixture;

TEST_F(AutopilotPipelineTest, StarterRulesFileTheSampleDocumentsDroppedIntoDownloadsAndDesktop)
{
    Autopilot &pilot = makeAutopilot(true);
    ASSERT_TRUE(pilot.modelStatus().isAvailable());
    const WatchedFolder downloads = watch(QStringLiteral("Downloads"));
    const WatchedFolder desktop = watch(QStringLiteral("Desktop"));
    place(QStringLiteral("Documents"));
    place(QStringLiteral("Pictures"));
    for (const RuleTemplates::Template &starter : RuleTemplates::all(NameLanguage::de))
        addRule(starter.rule, starter.folder == RuleTemplates::Folder::desktop ? desktop.uuid : downloads.uuid);
    pilot.start();

    const QString staging = storeDir.filePath(QStringLiteral("staging"));
    drop(downloads.displayPath,
         {sample(QStringLiteral("Rechnung_2026_000123.pdf")), sample(QStringLiteral("Mietvertrag_Wohnung.pdf")),
          sample(QStringLiteral("Kontoauszug_09_2026.pdf"))},
         staging);
    ASSERT_TRUE(TestSupport::writeFile(staging + QStringLiteral("/tool-1.2.deb"), QByteArray("installer")));
    ASSERT_TRUE(QFile::rename(staging + QStringLiteral("/tool-1.2.deb"), downloads.displayPath + QStringLiteral("/tool-1.2.deb")));
    SampleDocuments::writeScreenshot(QStringLiteral("Screenshot From 2026-10-12 10-11-12.png"), desktop.displayPath);

    ASSERT_TRUE(waitForEntries(5));
    QTest::qWait(200);
    const QList<JournalEntry> entries = store->journal();
    ASSERT_EQ(entries.size(), 5);
    for (const JournalEntry &entry : entries) {
        EXPECT_EQ(entry.status(), JournalEntry::Status::done) << entry.message.toStdString();
        EXPECT_TRUE(QFileInfo::exists(entry.newPath) && entry.fileID) << entry.newPath.toStdString();
    }

    const QString documents = home + QStringLiteral("/Documents");
    EXPECT_EQ(filesBelow(documents),
              (QStringList{QStringLiteral("Ablage/Vertrag/Musterhaus Verwaltung/Mietvertrag_Wohnung.pdf"),
                           QStringLiteral("Belege/2026/10/2026-10-12 Nordlicht Hosting 12,34 EUR.pdf"),
                           QStringLiteral("Finanzen/Kontoauszug/2026/Kontoauszug_09_2026.pdf")}));
    const QStringList pictures = filesBelow(home + QStringLiteral("/Pictures"));
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_TRUE(pictures.first().startsWith(QStringLiteral("Screenshots/")));
    // The installer stays where it is.
    EXPECT_EQ(filesBelow(downloads.displayPath), QStringList{QStringLiteral("tool-1.2.deb")});
    EXPECT_TRUE(filesBelow(desktop.displayPath).isEmpty());

    EXPECT_TRUE(pilot.busyFiles().isEmpty());
}

TEST_F(AutopilotPipelineTest, AnUnsureReadingWaitsForReviewAndNothingMoves)
{
    const WatchedFolder inbox = inboxAndSorted(true);
    addRule(byKind(QStringLiteral("Invoices"), QStringLiteral("invoice"), QStringLiteral("~/Sorted/{absender}")), inbox.uuid);
    const QString path = inbox.displayPath + QStringLiteral("/bill.pdf");
    unsureInvoice(path);
    oldFile(path, TestSupport::readFile(path));

    EXPECT_EQ(handleNow(path, inbox), true);
    ASSERT_EQ(store->journal().size(), 1);
    const JournalEntry entry = store->journal().first();
    EXPECT_EQ(entry.status(), JournalEntry::Status::review);
    EXPECT_EQ(entry.message, QStringLiteral("no date found, no sender found"));
    EXPECT_EQ(entry.originalPath, path);
    ASSERT_TRUE(entry.plan());
    EXPECT_EQ(entry.plan()->missing, QStringList{QStringLiteral("absender")});
    EXPECT_FALSE(entry.performedData.has_value());
    EXPECT_TRUE(QFileInfo::exists(path) && filesBelow(home + QStringLiteral("/Sorted")).isEmpty());
}

TEST_F(AutopilotPipelineTest, WithTheModelOffARuleByNameFilesAndARuleByKindSetsTheFileAsideUnread)
{
    const WatchedFolder inbox = inboxAndSorted();
    ASSERT_FALSE(autopilot->modelStatus().isAvailable());
    addRule(byKind(QStringLiteral("By kind"), QStringLiteral("invoice"), QStringLiteral("~/Elsewhere")), inbox.uuid);
    addRule(rule(QStringLiteral("By name"),
                 {condition(Field::name, Op::contains, QStringLiteral("Rechnung")),
                  condition(Field::fileType, Op::is, QStringLiteral("pdf"))},
                 {action(Kind::move, QStringLiteral("~/Sorted"))}),
            std::nullopt); // a rule of no folder runs for every folder
    const QString invoice = oldFile(inbox.displayPath + QStringLiteral("/Rechnung 7.pdf"), QByteArray("%PDF-1.4 x"));
    const QString other = oldFile(inbox.displayPath + QStringLiteral("/notes.pdf"), QByteArray("%PDF-1.4 y"));

    EXPECT_EQ(handleNow(invoice, inbox), true);
    EXPECT_EQ(handleNow(other, inbox), false);
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/Rechnung 7.pdf")));
    EXPECT_TRUE(QFileInfo::exists(other));
    ASSERT_EQ(store->journal().size(), 1);
    EXPECT_EQ(store->journal().first().ruleName, QStringLiteral("By name"));
    // Nothing was read.
    EXPECT_FALSE(store->journal().first().recognition().has_value());
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 0);
}

TEST_F(AutopilotPipelineTest, AFileFilewrightMovedIntoAWatchedFolderIsLeftAloneForAMinute)
{
    Autopilot &pilot = makeAutopilot();
    const WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    const WatchedFolder sorted = watch(QStringLiteral("Sorted"));
    place(QStringLiteral("Documents"));
    addRule(byEnding(QStringLiteral("To sorted"), QStringLiteral(".txt"), Kind::move, QStringLiteral("~/Sorted")), inbox.uuid);
    addRule(byEnding(QStringLiteral("Onwards"), QStringLiteral(".txt"), Kind::move, QStringLiteral("~/Documents")),
            sorted.uuid);
    pilot.start();

    ASSERT_TRUE(TestSupport::writeFile(inbox.displayPath + QStringLiteral("/note.txt"), "hello"));
    ASSERT_TRUE(waitForEntries(1));
    const QString moved = sorted.displayPath + QStringLiteral("/note.txt");
    // The watcher reports the file arriving in Sorted; its pass leaves it alone.
    QTest::qWait(2500);
    EXPECT_EQ(store->journal().size(), 1);
    EXPECT_TRUE(QFileInfo::exists(moved));

    // Ten seconds on it is still left alone; a minute after the move it is handled.
    const QDateTime movedAt = QDateTime::currentDateTimeUtc();
    pilot.setClock([&] { return movedAt.addSecs(10); });
    EXPECT_EQ(handleNow(moved, sorted), false);
    pilot.setClock([&] { return movedAt.addSecs(61); });
    EXPECT_EQ(handleNow(moved, sorted), true);
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Documents/note.txt")));
}

TEST_F(AutopilotPipelineTest, OneRuleFilesAFileThreeTimesThenTheNextRuleTakesOver)
{
    const WatchedFolder inbox = inboxAndSorted();
    addRule(byEnding(QStringLiteral("First"), QStringLiteral(".txt"), Kind::move, QStringLiteral("~/Sorted")), inbox.uuid);
    addRule(byEnding(QStringLiteral("Second"), QStringLiteral(".txt"), Kind::rename, QStringLiteral("second")), inbox.uuid);
    const QString path = oldFile(inbox.displayPath + QStringLiteral("/loop.txt"), "data");
    const QString sorted = home + QStringLiteral("/Sorted/loop.txt");

    QDateTime clock = QDateTime::currentDateTimeUtc();
    autopilot->setClock([&] { return clock; });
    for (int pass = 1; pass <= 4; ++pass) {
        clock = clock.addSecs(61); // past the quiet minute after the last move
        EXPECT_EQ(handleNow(path, inbox), true) << "pass " << pass;
        if (pass < 4) {
            ASSERT_TRUE(QFile::rename(sorted, path)); // the user puts it back
        }
    }
    QStringList rules;
    for (const JournalEntry &entry : store->journal())
        rules.prepend(entry.ruleName);
    EXPECT_EQ(rules.join(QLatin1Char(' ')), QStringLiteral("First First First Second"));
    EXPECT_TRUE(QFileInfo::exists(inbox.displayPath + QStringLiteral("/second.txt")));
}

TEST_F(AutopilotPipelineTest, NoAccessToTheDestinationOrACopyTargetGivesAFailedEntry)
{
    const WatchedFolder inbox = inboxAndSorted();
    addRule(rule(QStringLiteral("Away"), {condition(Field::name, Op::startsWith, QStringLiteral("away"))},
                 {action(Kind::move, QStringLiteral("~/Elsewhere/Deep"))}),
            inbox.uuid);
    addRule(rule(QStringLiteral("Copy out"), {condition(Field::name, Op::startsWith, QStringLiteral("copy"))},
                 {action(Kind::copy, QStringLiteral("~/Elsewhere/Copies")), action(Kind::move, QStringLiteral("~/Sorted"))}),
            inbox.uuid);
    const QString away = oldFile(inbox.displayPath + QStringLiteral("/away.txt"), "a");
    const QString copy = oldFile(inbox.displayPath + QStringLiteral("/copy.txt"), "c");

    EXPECT_EQ(handleNow(away, inbox), true);
    EXPECT_EQ(handleNow(copy, inbox), true);
    ASSERT_EQ(store->journal().size(), 2);
    for (const JournalEntry &entry : store->journal()) {
        EXPECT_EQ(entry.status(), JournalEntry::Status::failed);
        EXPECT_FALSE(entry.performedData.has_value());
        EXPECT_EQ(entry.message, QStringLiteral("No access to ~/Elsewhere/%1. Add the folder under Folders > Places.")
                                     .arg(entry.ruleName == QStringLiteral("Away") ? "Deep" : "Copies"));
    }
    // Nothing on disk changed: no copy, no move.
    EXPECT_TRUE(QFileInfo::exists(away) && QFileInfo::exists(copy));
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Elsewhere")));
    EXPECT_TRUE(filesBelow(home + QStringLiteral("/Sorted")).isEmpty());
}

TEST_F(AutopilotPipelineTest, TheSettleWaitIsNeverBelowOneSecondButBriefForOldFilesOfACleanUp)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // {settled, age of the content in seconds (-1: unreadable, counts as now), setting, wait in ms}
    const struct { bool settled; int age; double setting; int waitMs; } cases[] = {
        {true, 120, 3.0, 50}, {true, 30, 3.0, 3000}, {false, 120, 3.0, 3000}, {true, -1, 2.5, 2500},
        {false, 0, 0.0, 1000}, {false, 0, 0.2, 1000}, {false, 0, -4.0, 1000}, {false, 0, std::nan(""), 1000}};
    for (const auto &c : cases) {
        const auto modified = c.age < 0 ? std::nullopt : std::optional<QDateTime>(now.addSecs(-c.age));
        EXPECT_EQ(FilePass::settleWait(c.settled, modified, c.setting, now), std::chrono::milliseconds(c.waitMs))
            << c.settled << " " << c.age << " " << c.setting;
    }
}

TEST_F(AutopilotPipelineTest, HiddenLockAndPartialFilesAndDisabledRulesAreLeftAlone)
{
    const WatchedFolder inbox = inboxAndSorted();
    Rule disabled = rule(QStringLiteral("Off"), {condition(Field::name, Op::contains, QStringLiteral("off"))},
                         {action(Kind::move, QStringLiteral("~/Sorted"))});
    disabled.isEnabled = false;
    addRule(disabled, inbox.uuid);
    addRule(rule(QStringLiteral("Everything"), {condition(Field::size, Op::greaterThan, QStringLiteral("-1"))},
                 {action(Kind::move, QStringLiteral("~/Sorted"))}),
            inbox.uuid);
    for (const char *name : {".hidden.txt", "~$report.docx", "movie.mkv.crdownload"}) {
        const QString path = inbox.displayPath + QLatin1Char('/') + QLatin1String(name);
        ASSERT_TRUE(TestSupport::writeFile(path, "x"));
        EXPECT_EQ(handleNow(path, inbox, false), false) << name;
    }

    const QString off = oldFile(inbox.displayPath + QStringLiteral("/off.txt"), "x");
    EXPECT_EQ(handleNow(off, inbox), true);
    ASSERT_EQ(store->journal().size(), 1);
    EXPECT_EQ(store->journal().first().ruleName, QStringLiteral("Everything"));
}

TEST_F(AutopilotPipelineTest, TheModelStatusFollowsAServerStartedAndStoppedLaterAndTheListIsAskedOncePerCheck)
{
    // A port where nothing listens once the probe is gone, on an address of
    // its own, so that no other test's server takes it meanwhile.
    const QHostAddress host(QStringLiteral("127.0.0.2"));
    quint16 port = 0;
    {
        const FakeModelServer probe(0, host);
        port = quint16(probe.baseUrl().port());
        qputenv("APP_MODEL_URL", probe.baseUrl().toString().toUtf8());
    }
    setPref(Prefs::useModelKey, true);
    Autopilot &pilot = makeAutopilot();
    EXPECT_EQ(pilot.modelStatus(), ModelStatus::notEnabled);
    const WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    place(QStringLiteral("Sorted"));
    addRule(byKind(QStringLiteral("Invoices"), QStringLiteral("invoice"), QStringLiteral("~/Sorted")), inbox.uuid);
    QSignalSpy changes(&pilot, &Autopilot::modelStatusChanged);

    model = std::make_unique<FakeModelServer>(port, host);
    const auto turnsTo = [&](ModelStatus status) {
        return QTest::qWaitFor([&] { return pilot.modelStatus() == status; }, patienceMs);
    };
    pilot.checkModel();
    ASSERT_TRUE(turnsTo(ModelStatus::available));
    model->queueChat(FakeModelServer::chatAnswer({{"kind", "invoice"}, {"sender", "Nordlicht Hosting GmbH"},
                                                  {"documentDate", "2026-10-12"}, {"amount", 12.34},
                                                  {"currency", "EUR"}, {"title", "Rechnung"}}));
    const QString path = clearInvoice(QStringLiteral("bill.pdf"));
    oldFile(path, TestSupport::readFile(path));
    EXPECT_EQ(handleNow(path, inbox), true);
    EXPECT_EQ(store->journal().first().recognition()->source, Recognition::Source::model);
    const QList<FakeModelServer::Request> requests = model->requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [](const auto &r) { return r.path == "/v1/models"; }), 1);

    model.reset();
    pilot.checkModel();
    ASSERT_TRUE(turnsTo(ModelStatus::notEnabled));
    pilot.setUseModel(false);
    ASSERT_TRUE(turnsTo(ModelStatus::switchedOff));
    EXPECT_EQ(changes.count(), 3);
}

// A name whose bytes are not valid UTF-8 has no text that names the file:
// a clean-up and the watcher both report it, the journal says why it stays,
// and the file is neither moved nor changed. A valid name beside it is filed.
TEST_F(AutopilotPipelineTest, AFileWhoseNameIsNotValidUtf8GetsAFailedEntryAndStaysAsItIs)
{
    Autopilot &pilot = makeAutopilot();
    const WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    const WatchedFolder desktop = place(QStringLiteral("Desktop"));
    place(QStringLiteral("Sorted"));
    addRule(byEnding(QStringLiteral("PDFs"), QStringLiteral(".pdf"), Kind::move, QStringLiteral("~/Sorted")), std::nullopt);
    const QString reason = QStringLiteral(
        "The file's name is not valid UTF-8, so Filewright cannot file it. Rename the file to have it filed.");

    // Qt's listings cannot see these files, so the home folder's clean-up
    // for the next test could not remove them either.
    QByteArrayList written;
    const auto unlinkAll = [](QByteArrayList *paths) {
        for (const QByteArray &path : *paths)
            ::unlink(path.constData());
    };
    const std::unique_ptr<QByteArrayList, decltype(unlinkAll)> removal(&written, unlinkAll);
    const auto writeRaw = [&written](const QString &folder, const QByteArray &bytes,
                                     const QByteArray &name = "Rechnung_\xff\xfe.pdf") {
        const QByteArray path = QFile::encodeName(folder) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0) << path.toStdString();
        written.append(path);
        EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
        return path;
    };
    const auto decoded = [](const WatchedFolder &folder) {
        return folder.displayPath + QStringLiteral("/Rechnung_\uFFFD\uFFFD.pdf");
    };

    // A clean-up finds it among the folder's files and counts its entry.
    const QByteArray onDesktop = writeRaw(desktop.displayPath, "desktop");
    const QString plain = oldFile(desktop.displayPath + QStringLiteral("/plain.pdf"), "plain");
    std::optional<int> count;
    pilot.cleanUp(desktop, [&count](int n) { count = n; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return count.has_value(); }, patienceMs));
    EXPECT_EQ(count, 2);
    ASSERT_EQ(store->journal().size(), 2);
    for (const JournalEntry &entry : store->journal()) {
        if (entry.status() == JournalEntry::Status::failed) {
            EXPECT_EQ(entry.originalPath, decoded(desktop));
            EXPECT_EQ(entry.message, reason);
            EXPECT_FALSE(entry.performedData || entry.planData || entry.intentData);
        } else {
            EXPECT_EQ(entry.originalPath, plain);
        }
    }
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/plain.pdf")));

    // The watcher reports one arriving in a watched folder.
    pilot.start();
    writeRaw(inbox.displayPath, "inbox");
    ASSERT_TRUE(waitForEntries(3));
    const JournalEntry arrived = store->journal().constFirst();
    EXPECT_EQ(arrived.status(), JournalEntry::Status::failed);
    EXPECT_EQ(arrived.originalPath, decoded(inbox));
    EXPECT_EQ(arrived.message, reason);

    // What any name would leave alone is left alone here too: a hidden
    // file, an unfinished download, an empty file, a folder.
    for (const QByteArray &name : {QByteArray(".Rechnung_\xff.pdf"), QByteArray("Rechnung_\xff.pdf.part")}) {
        writeRaw(desktop.displayPath, "x", name);
        EXPECT_EQ(handleNow(QFile::decodeName(QFile::encodeName(desktop.displayPath) + '/' + name), desktop), false);
    }
    writeRaw(desktop.displayPath, "", "Leer_\xff.pdf");
    EXPECT_EQ(handleNow(desktop.displayPath + QStringLiteral("/Leer_\uFFFD.pdf"), desktop), false);
    const QByteArray folder = QFile::encodeName(desktop.displayPath) + "/Ordner_\xff.pdf";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const std::unique_ptr<const char, void (*)(const char *)> folderRemoval(folder.constData(),
                                                                            [](const char *path) { ::rmdir(path); });
    EXPECT_EQ(handleNow(desktop.displayPath + QStringLiteral("/Ordner_\uFFFD.pdf"), desktop), false);
    EXPECT_EQ(store->journal().size(), 3);

    // The file is where it was, as it was; without a rule that could file
    // it, nothing is written about it.
    QFile kept;
    const int fd = ::open(onDesktop.constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(kept.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(kept.readAll(), QByteArray("desktop"));
    store->remove(store->rules().constFirst());
    EXPECT_EQ(handleNow(decoded(desktop), desktop), false);
    EXPECT_EQ(store->journal().size(), 3);
}

// Six filings into a folder that the first of them made two levels deep.
class UndoFoldersTest : public AutopilotFixture
{
protected:
    void SetUp() override
    {
        AutopilotFixture::SetUp();
        inbox = inboxAndSorted();
        receipts = folderPath(QStringLiteral("Sorted/Belege"));
        addRule(byEnding(QStringLiteral("Receipts"), QStringLiteral(".pdf"), Kind::move,
                         QStringLiteral("~/Sorted/Belege/2026/12")),
                inbox.uuid);
    }

    QList<qint64> fileSix(const QString &prefix)
    {
        QList<qint64> entries;
        for (int i = 1; i <= 6; ++i) {
            const QString path = oldFile(inbox.displayPath + QStringLiteral("/%1 %2.pdf").arg(prefix).arg(i), "receipt");
            EXPECT_EQ(handleNow(path, inbox), true) << path.toStdString();
            entries.append(store->journal(1).constFirst().id);
        }
        return entries;
    }

    // As the journal's Undo does it.
    void undo(qint64 id)
    {
        EXPECT_TRUE(autopilot->startUndo(id));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !autopilot->isDeciding(id); }, patienceMs));
        const JournalEntry entry = *store->journalEntry(id);
        EXPECT_EQ(entry.status(), JournalEntry::Status::undone) << entry.message.toStdString();
    }

    WatchedFolder inbox;
    QString receipts;
};

TEST_F(UndoFoldersTest, UndoneInAnyOrderTheFilingsLeaveNoFolderTheyMadeAndNeverAThirdLevel)
{
    // Only the first filing made the two folders; it is undone first.
    const QList<qint64> filed = fileSix(QStringLiteral("Beleg"));
    EXPECT_EQ(store->journalEntry(filed.first())->performed()->madeFolders.size(), 2);
    for (const int index : {0, 3, 1, 5, 2}) {
        undo(filed.at(index));
        EXPECT_TRUE(QFileInfo::exists(receipts + QStringLiteral("/2026/12"))) << index;
    }
    undo(filed.at(4));
    EXPECT_FALSE(QFileInfo::exists(receipts + QStringLiteral("/2026")));
    EXPECT_TRUE(QFileInfo::exists(receipts)); // the user's, and a third level
    EXPECT_EQ(QDir(inbox.displayPath).entryList(QDir::Files).size(), 6);
}

TEST_F(UndoFoldersTest, AFolderTheUserMadeAtTheSamePathStays)
{
    // The filings' folders moved aside by the user, who makes new ones at the
    // same path: undoing every filing into those leaves them.
    fileSix(QStringLiteral("Quittung"));
    ASSERT_TRUE(QDir().rename(receipts + QStringLiteral("/2026"), receipts + QStringLiteral("/2026 alt")));
    ASSERT_TRUE(QDir().mkpath(receipts + QStringLiteral("/2026/12")));
    for (const qint64 id : fileSix(QStringLiteral("Bon")))
        undo(id);
    EXPECT_TRUE(QFileInfo::exists(receipts + QStringLiteral("/2026/12")));
    EXPECT_TRUE(QDir(receipts + QStringLiteral("/2026/12")).isEmpty());
    EXPECT_EQ(QDir(receipts + QStringLiteral("/2026 alt/12")).entryList(QDir::Files).size(), 6);
}
