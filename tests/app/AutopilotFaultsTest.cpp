#include "AutopilotFixture.h"

#include "FolderBookmark.h"
#include "FolderWatcher.h"
#include "SampleDocumentFiles.h"
#include "TestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <future>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Permissions do not stop the superuser, so those cases need another user.
bool permissionsApply()
{
    return geteuid() != 0;
}

} // namespace

class AutopilotFaultsTest : public AutopilotFixture
{
protected:
    // The driver with a watched Inbox whose text files a rule moves to Sorted.
    WatchedFolder inboxOfText(bool everyFolder = false)
    {
        const WatchedFolder inbox = inboxAndSorted();
        addRule(byEnding(QStringLiteral("All text"), QStringLiteral(".txt"), Kind::move, QStringLiteral("~/Sorted")),
                everyFolder ? std::nullopt : std::optional<QUuid>(inbox.uuid));
        return inbox;
    }
};

TEST_F(AutopilotFaultsTest, AWatchedFolderThatGoesIsMarkedToBeChosenAgainAndTheOthersGoOn)
{
    // A rule of no folder: it runs for every watched folder.
    const WatchedFolder inbox = inboxOfText(true);
    const WatchedFolder gone = watch(QStringLiteral("Downloads"));
    const WatchedFolder locked = watch(QStringLiteral("Desktop"));
    autopilot->start();

    ASSERT_TRUE(QDir(gone.displayPath).removeRecursively());
    if (permissionsApply()) {
        ASSERT_EQ(::chmod(QFile::encodeName(locked.displayPath).constData(), 0), 0);
    }
    autopilot->checkFolders();
    EXPECT_TRUE(store->folder(gone.uuid)->needsReselect);
    EXPECT_EQ(store->folder(locked.uuid)->needsReselect, permissionsApply());
    EXPECT_FALSE(store->folder(inbox.uuid)->needsReselect);

    ASSERT_TRUE(TestSupport::writeFile(inbox.displayPath + QStringLiteral("/a.txt"), "a"));
    ASSERT_TRUE(waitForEntries(1));
    EXPECT_EQ(store->journal().first().status(), JournalEntry::Status::done);
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/a.txt")));
    ::chmod(QFile::encodeName(locked.displayPath).constData(), 0755);
}

TEST_F(AutopilotFaultsTest, ARestartBeforeTheFolderCheckMarksFoldersGoneOrReplacedToBeChosenAgain)
{
    const WatchedFolder inbox = inboxOfText(true);
    const WatchedFolder gone = watch(QStringLiteral("Downloads"));
    const WatchedFolder replaced = watch(QStringLiteral("Desktop"));
    autopilot->start();

    ASSERT_TRUE(QDir(gone.displayPath).removeRecursively());
    // The new folder is made while the old one still exists, so it has another inode.
    const QString old = replaced.displayPath + QStringLiteral(".old");
    ASSERT_TRUE(QDir().rename(replaced.displayPath, old));
    ASSERT_TRUE(QDir().mkpath(replaced.displayPath));
    ASSERT_TRUE(QDir(old).removeRecursively());
    autopilot->restart();
    EXPECT_TRUE(store->folder(gone.uuid)->needsReselect);
    EXPECT_TRUE(store->folder(replaced.uuid)->needsReselect);
    EXPECT_FALSE(store->folder(inbox.uuid)->needsReselect);

    ASSERT_TRUE(TestSupport::writeFile(inbox.displayPath + QStringLiteral("/a.txt"), "a"));
    ASSERT_TRUE(waitForEntries(1));
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/Sorted/a.txt")));
}

TEST_F(AutopilotFaultsTest, AFileThatVanishesIsRenamedOrLockedWhileItSettlesIsLeftAlone)
{
    const WatchedFolder inbox = inboxOfText();
    QStringList paths;
    for (const char *name : {"vanish.txt", "rename.txt", "lock.txt"}) {
        paths.append(inbox.displayPath + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(TestSupport::writeFile(paths.last(), "x"));
    }
    QList<std::optional<bool>> made(paths.size());
    for (int i = 0; i < paths.size(); ++i)
        autopilot->handle(paths[i], inbox, false, [&made, i](bool entry) { made[i] = entry; });
    // While they settle (a second at least):
    QTest::qWait(300);
    ASSERT_TRUE(QFile::remove(paths[0]));
    ASSERT_TRUE(QFile::rename(paths[1], inbox.displayPath + QStringLiteral("/renamed.md")));
    if (permissionsApply()) {
        ASSERT_EQ(::chmod(QFile::encodeName(paths[2]).constData(), 0), 0);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::all_of(made.begin(), made.end(), [](auto m) { return m.has_value(); }); },
                                patienceMs));
    EXPECT_EQ(made, (QList<std::optional<bool>>{false, false, !permissionsApply()}));
    EXPECT_EQ(store->journal().size(), permissionsApply() ? 0 : 1);
    ::chmod(QFile::encodeName(paths[2]).constData(), 0644);
}

TEST_F(AutopilotFaultsTest, ADownloadRenamedOverTheEmptyFileThatReservedItsNameIsFiledOnce)
{
    const WatchedFolder inbox = inboxOfText();
    // Placeholders last changed long ago settle in short waits (20 x 0.05 s).
    QMap<QString, std::optional<bool>> made;
    for (const char *name : {"soon.txt", "late.txt", "empty.txt"}) {
        const QString path = oldFile(inbox.displayPath + QLatin1Char('/') + QLatin1String(name), QByteArray());
        autopilot->handle(path, inbox, true, [&made, path](bool entry) { made[path] = entry; });
    }
    // The downloads finish into ".part" files renamed over the placeholders:
    // one during the first waits, one long after an empty file would have been filed.
    const auto finish = [&](const QString &name) {
        const QString path = inbox.displayPath + QLatin1Char('/') + name;
        ASSERT_TRUE(TestSupport::writeFile(path + QStringLiteral(".part"), name.toUtf8()));
        ASSERT_EQ(::rename(QFile::encodeName(path + QStringLiteral(".part")).constData(), QFile::encodeName(path).constData()), 0);
    };
    QTimer::singleShot(120, [&] { finish(QStringLiteral("soon.txt")); });
    QTimer::singleShot(600, [&] { finish(QStringLiteral("late.txt")); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return made.size() == 3; }, patienceMs));

    const QString empty = inbox.displayPath + QStringLiteral("/empty.txt");
    EXPECT_EQ(made.value(empty), false);
    EXPECT_TRUE(QFileInfo::exists(empty));
    ASSERT_EQ(store->journal().size(), 2);
    for (const QString &name : {QStringLiteral("soon.txt"), QStringLiteral("late.txt")}) {
        EXPECT_EQ(made.value(inbox.displayPath + QLatin1Char('/') + name), true) << name.toStdString();
        EXPECT_EQ(TestSupport::readFile(home + QStringLiteral("/Sorted/") + name), name.toUtf8());
    }
    EXPECT_EQ(QDir(home + QStringLiteral("/Sorted")).entryList(QDir::Files).size(), 2);
}

TEST_F(AutopilotFaultsTest, ABrokenDocumentIsFiledByItsDocumentedReading)
{
    const WatchedFolder inbox = inboxAndSorted(true);
    addRule(rule(QStringLiteral("By kind"), {condition(Field::name, Op::endsWith, QStringLiteral(".pdf"))},
                 {action(Kind::move, QStringLiteral("~/Sorted/{art}"))}),
            inbox.uuid);
    const QString broken = oldFile(inbox.displayPath + QStringLiteral("/broken.pdf"), QByteArray("%PDF-1.7\n\x01\x02 not a pdf"));

    EXPECT_EQ(handleNow(broken, inbox), true);
    ASSERT_EQ(store->journal().size(), 1);
    const JournalEntry entry = store->journal().first();
    EXPECT_EQ(entry.status(), JournalEntry::Status::done) << entry.message.toStdString();
    EXPECT_EQ(entry.newPath, home + QStringLiteral("/Sorted/") + DocumentKinds::name(DocumentKind::other, NameLanguage::de)
                                 + QStringLiteral("/broken.pdf"));
}

TEST_F(AutopilotFaultsTest, AFailedFileOperationIsJournalledAsFailedAndNoEntryClaimsWhatDidNotHappen)
{
    const WatchedFolder inbox = inboxAndSorted();
    // A damaged rule stands first; it matches nothing and the next one runs.
    StoredRule damaged(rule(QStringLiteral("Damaged"), {}, {}), inbox.uuid, 0);
    damaged.payload = QByteArray("{not json");
    store->insert(damaged);
    addRule(byEnding(QStringLiteral("Into a file"), QStringLiteral(".txt"), Kind::move, QStringLiteral("~/Sorted/Blocked")),
            inbox.uuid);
    // "Blocked" is a file, so no folder can be made there.
    ASSERT_TRUE(TestSupport::writeFile(home + QStringLiteral("/Sorted/Blocked"), "in the way"));
    const QString path = oldFile(inbox.displayPath + QStringLiteral("/a.txt"), "a");

    EXPECT_EQ(handleNow(path, inbox), true);
    ASSERT_EQ(store->journal().size(), 1);
    const JournalEntry entry = store->journal().first();
    EXPECT_EQ(entry.status(), JournalEntry::Status::failed);
    EXPECT_TRUE(!entry.message.isEmpty() && !entry.performedData);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(TestSupport::readFile(home + QStringLiteral("/Sorted/Blocked")), QByteArray("in the way"));
}

TEST_F(AutopilotFaultsTest, AReadingThatHangsGivesWayToThePatternsAndIsNotKept)
{
    Autopilot &pilot = makeAutopilot(true, std::chrono::milliseconds(300));
    FakeModelServer::Reply hang;
    hang.hang = true;
    model->queueChat(hang);
    const QString path = clearInvoice(QStringLiteral("bill.pdf"));

    QObject context;
    std::optional<Recognition> reading;
    pilot.recognize(path, std::nullopt, std::nullopt, &context, [&](const Recognition &r) { reading = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return reading.has_value(); }, patienceMs));
    EXPECT_EQ(reading->source, Recognition::Source::rules);
    EXPECT_EQ(reading->kind, DocumentKind::invoice);
    EXPECT_TRUE(pilot.busyFiles().isEmpty());
    // A reading cut short is not kept, so the model may read the file later.
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 0);
}

TEST_F(AutopilotFaultsTest, AFolderIsKnownAgainByItsInodeWhateverItsDeviceNumber)
{
    // Device numbers change with btrfs subvolumes, removable drives and remounts.
    QJsonObject bookmark = QJsonDocument::fromJson(*FolderBookmark::make(folderPath(QStringLiteral("Inbox")))).object();
    bookmark[QStringLiteral("device")] = bookmark[QStringLiteral("device")].toString() + QLatin1Char('7');
    EXPECT_FALSE(FolderBookmark::resolve(QJsonDocument(bookmark).toJson())->isStale);
    bookmark[QStringLiteral("inode")] = QString::number(bookmark[QStringLiteral("inode")].toString().toULongLong() + 1);
    EXPECT_TRUE(FolderBookmark::resolve(QJsonDocument(bookmark).toJson())->isStale);
}

TEST_F(AutopilotFaultsTest, AKernelQueueOverflowDuringABurstStillFilesEveryFileOnce)
{
    int queueLimit = 16384;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queueLimit;
    if (queueLimit > 1000000)
        GTEST_SKIP() << "the kernel queue holds too many events to overflow it quickly";

    const WatchedFolder inbox = inboxOfText();
    const QString folder = inbox.displayPath;
    // A watcher whose thread is held after its first batch, as a busy one
    // is, hands its batches to the pipeline as the driver's watcher does.
    std::promise<void> gate;
    const std::shared_future<void> opened = gate.get_future().share();
    std::atomic<int> batches = 0;
    int passes = 0;
    int passesEnded = 0;
    QPointer<Autopilot> pilot(autopilot.get());
    FolderWatcher watcher(
        [&](const QString &, const QStringList &files) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [&, pilot, files] {
                    for (const QString &file : files) {
                        ++passes;
                        if (pilot)
                            pilot->handle(file, inbox, false, [&](bool) { ++passesEnded; });
                    }
                },
                Qt::QueuedConnection);
            if (batches++ == 0)
                opened.wait_for(std::chrono::milliseconds(patienceMs));
        },
        {}, std::chrono::milliseconds(20));
    watcher.watch(folder, false);

    constexpr int count = 150;
    QStringList burst;
    for (int i = 0; i < count; ++i) {
        burst.append(folder + QStringLiteral("/early-%1.txt").arg(i));
        ASSERT_TRUE(TestSupport::writeFile(burst.last(), "e"));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return batches > 0; }, patienceMs));
    // Each opening for writing brings an open and a close: the kernel's
    // queue runs over, and the events of the files after that are lost.
    // (Not empty: an empty file counts as still to be written, and waits.)
    ASSERT_TRUE(TestSupport::writeFile(folder + QStringLiteral("/filler"), "f"));
    const QByteArray filler = QFile::encodeName(folder + QStringLiteral("/filler"));
    for (int i = 0; i <= queueLimit / 2; ++i) {
        const int fd = ::open(filler.constData(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    for (int i = 0; i < count; ++i) {
        burst.append(folder + QStringLiteral("/late-%1.txt").arg(i));
        ASSERT_TRUE(TestSupport::writeFile(burst.last(), "l"));
    }
    gate.set_value();

    // Done when every file has an entry, the batch after the hold has come
    // and every pass has ended.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return store->count(Store::Model::journalEntry) >= 2 * count && batches > 1 && passesEnded == passes; },
        patienceMs))
        << store->count(Store::Model::journalEntry) << " entries, " << batches << " batches, " << passes << " passes, "
        << passesEnded << " ended";
    QStringList filed;
    for (const JournalEntry &entry : store->journal()) {
        EXPECT_EQ(entry.status(), JournalEntry::Status::done) << entry.originalPath.toStdString();
        filed.append(entry.originalPath);
    }
    filed.sort();
    burst.sort();
    EXPECT_EQ(filed, burst); // each file once, those whose events were lost included
    EXPECT_EQ(QDir(folderPath(QStringLiteral("Sorted"))).entryList(QDir::Files).size(), 2 * count);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("filler")});
}
