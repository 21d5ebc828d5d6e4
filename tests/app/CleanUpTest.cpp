// Cleaning up a folder's existing files through the ordinary pipeline, and
// a folder that is gone by the time it is asked for.
#include "AutomationActions.h"
#include "AutopilotFixture.h"
#include "DryRunView.h"
#include "FileReadiness.h"
#include "Planner.h"
#include "RuleTemplates.h"
#include "SampleDocuments.h"

namespace {

// The starter rule that sends installers to the Trash after a week.
Rule oldInstallers()
{
    for (const RuleTemplates::Template &starter : RuleTemplates::all(NameLanguage::en)) {
        if (starter.id == QLatin1String("installers"))
            return starter.rule;
    }
    ADD_FAILURE() << "no starter rule for installers";
    return Rule{};
}

} // namespace

class CleanUpTest : public AutopilotFixture
{
protected:
    // Starts a clean-up; count learns its outcome.
    void startCleanUp(const WatchedFolder &folder, std::optional<int> &count)
    {
        autopilot->cleanUp(folder, [&count](int n) { count = n; });
    }

    // A folder on another file system than the home folder (a tmpfs), or
    // empty where there is none.
    QString otherFileSystem() { return TestSupport::onOtherFileSystem(shm.isValid() ? shm.path() : QString(), home); }

    // A file of that many megabytes, written in full, whose content last
    // changed two minutes ago.
    static QString largeOldFile(const QString &path, int megabytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < megabytes; ++i) {
            if (file.write(block) != block.size())
                return {};
        }
        file.close();
        return oldFile(path, TestSupport::readFile(path));
    }

    QTemporaryDir shm{QStringLiteral("/dev/shm/filewright-test-XXXXXX")};

    std::optional<int> cleanUp(const WatchedFolder &folder)
    {
        std::optional<int> count;
        autopilot->cleanUp(folder, [&count](int n) { count = n; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return count.has_value(); }, 60000));
        return count;
    }

    static int filesIn(const QString &folder) { return int(QDir(folder).entryList(QDir::Files).size()); }
};

TEST_F(CleanUpTest, HandlesTheNewest500FilesOfA600FileFolderAndCountsTheEntries)
{
    makeAutopilot();
    WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    place(QStringLiteral("Sorted"));
    addRule(byEnding(QStringLiteral("Text"), QStringLiteral(".txt"), Kind::move, QStringLiteral("~/Sorted")), inbox.uuid);
    // A folder that is not watched any more is still cleaned up.
    inbox.isEnabled = false;
    store->update(inbox);

    // An empty folder gives nothing to count.
    EXPECT_EQ(cleanUp(inbox), 0);

    // The hundred older files, then five hundred newer ones; file times tick
    // coarsely, so a short pause keeps the two groups apart.
    QStringList older;
    for (int i = 0; i < 100; ++i)
        older.append(oldFile(inbox.displayPath + QStringLiteral("/old-%1.txt").arg(i), "old"));
    QTest::qWait(30);
    for (int i = 0; i < 500; ++i)
        oldFile(inbox.displayPath + QStringLiteral("/new-%1.txt").arg(i), "new " + QByteArray::number(i));

    EXPECT_EQ(cleanUp(inbox), 500);
    EXPECT_EQ(store->journal().size(), 500);
    EXPECT_EQ(filesIn(home + QStringLiteral("/Sorted")), 500);
    EXPECT_EQ(filesIn(inbox.displayPath), 100);
    for (const QString &path : std::as_const(older))
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();

    // What is left matches no rule now: nothing more is counted.
    store->remove(store->rules().constFirst());
    EXPECT_EQ(cleanUp(inbox), 0);

    // A folder that cannot be reached gives nothing and is to be chosen again.
    const WatchedFolder gone = watch(QStringLiteral("Elsewhere"));
    ASSERT_TRUE(QDir(gone.displayPath).removeRecursively());
    EXPECT_EQ(cleanUp(gone), 0);
    EXPECT_TRUE(store->folder(gone.uuid)->needsReselect);
}

// A folder deleted while the driver runs: every request for its access finds
// it as it is now, not as it was at the start.
TEST_F(CleanUpTest, AFolderDeletedAfterTheStartIsNotFoundByAnyoneWhoAsks)
{
    makeAutopilot();
    WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    const Rule anything = byEnding(QStringLiteral("Text"), QStringLiteral(".txt"), Kind::move, QStringLiteral("~/Sorted"));
    autopilot->start();
    AutomationActions actions(*store, *autopilot);
    const auto cleanUpAction = [&] {
        std::optional<ActionResult<AutomationActions::CleanUpResult>> result;
        actions.cleanUp(inbox.uuid, NameLanguage::en, [&result](const auto &answer) { result = answer; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 60000));
        return *result;
    };
    const auto dryRunEmptyState = [&] {
        DryRunView view(*autopilot, DryRunRequest{QUuid::createUuid(), anything, inbox.uuid});
        view.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !view.isRunning(); }, 20000));
        return view.empty();
    };

    // Reached once while it is there, by each of them.
    EXPECT_EQ(cleanUp(inbox), 0);
    EXPECT_EQ(cleanUpAction(), (ActionResult<AutomationActions::CleanUpResult>(AutomationActions::CleanUpResult{
                                   0, QStringLiteral("Filewright handled 0 files in Inbox.")})));
    EXPECT_EQ(dryRunEmptyState(), DryRunView::Empty::noFiles);

    ASSERT_TRUE(QDir(inbox.displayPath).removeRecursively());
    const auto refused = cleanUpAction();
    ASSERT_TRUE(std::holds_alternative<ActionError>(refused));
    EXPECT_EQ(std::get<ActionError>(refused).reason, FilewrightIntentError::noAccess);
    EXPECT_TRUE(store->folder(inbox.uuid)->needsReselect);
    EXPECT_EQ(dryRunEmptyState(), DryRunView::Empty::unreachable);
    EXPECT_EQ(cleanUp(inbox), 0);
}

// An installer that has lain in Downloads for days goes a week after it came,
// not a week after the clean-up found it. Time is passed in.
TEST_F(CleanUpTest, AnInstallerThatLayInItsFolderGetsItsTrashDateFromItsArrival)
{
    makeAutopilot();
    const WatchedFolder downloads = watch(QStringLiteral("Downloads"));
    addRule(oldInstallers(), downloads.uuid);
    const QString installer = oldFile(downloads.displayPath + QStringLiteral("/setup.deb"), "!<arch>");
    const QDateTime arrived = FileFacts::read(installer, std::nullopt, std::nullopt, QDateTime()).added;
    ASSERT_TRUE(arrived.isValid());
    autopilot->setClock([arrived] { return arrived.addDays(5); });

    EXPECT_EQ(cleanUp(downloads), 1);
    const JournalEntry entry = store->journal().constFirst();
    EXPECT_EQ(entry.status(), JournalEntry::Status::done);
    EXPECT_EQ(entry.newPath, installer);
    EXPECT_EQ(entry.trashDue, arrived.addDays(7));

    autopilot->sweepTrash(arrived.addDays(7).addSecs(-1));
    EXPECT_TRUE(QFileInfo::exists(installer));
    autopilot->sweepTrash(arrived.addDays(7));
    EXPECT_FALSE(QFileInfo::exists(installer));
    EXPECT_EQ(store->journalEntry(entry.id)->status(), JournalEntry::Status::trashed);
}

// While an approve or undo carries a file from one file system to another,
// its places are in hand: a clean-up of either folder leaves the file to it,
// writes no entry of its own and makes no folder.
TEST_F(CleanUpTest, ACleanUpDuringAnApproveOrUndoAcrossFileSystemsLeavesTheFileToIt)
{
    makeAutopilot();
    const WatchedFolder sorted = place(QStringLiteral("Sorted"));
    const QString elsewhere = otherFileSystem();
    if (elsewhere.isEmpty())
        GTEST_SKIP() << "no tmpfs at /dev/shm on another file system than the home folder";
    const WatchedFolder scans = *autopilot->addFolder(elsewhere, true);
    // What a clean-up of either folder would do with the file, were it free.
    for (const WatchedFolder &folder : {scans, sorted})
        addRule(byEnding(QStringLiteral("Stray"), QStringLiteral(".pdf"), Kind::move, QStringLiteral("~/Sorted/Stray")),
                folder.uuid);
    const QString found = largeOldFile(elsewhere + QStringLiteral("/scan.pdf"), 256);
    ASSERT_FALSE(found.isEmpty());

    // The file waits for review with a plan to file it as ~/Sorted/ACME.pdf.
    const Rule invoices = rule(QStringLiteral("Invoices"), {condition(Field::kind, Op::is, QStringLiteral("invoice"))},
                               {action(Kind::move, QStringLiteral("~/Sorted")),
                                action(Kind::rename, QStringLiteral("{absender}"))});
    Recognition read;
    read.kind = DocumentKind::invoice;
    read.sender = QStringLiteral("ACME");
    read.confidence = 0.4;
    read.readAt = QDateTime::currentDateTimeUtc();
    const Plan plan = Planner::plan(invoices, FileFacts::read(found, read, std::nullopt, autopilot->now()),
                                    Prefs::nameTemplate(), home);
    const QString filed = home + QStringLiteral("/Sorted/ACME.pdf");
    ASSERT_EQ(plan.destination, filed);
    JournalEntry entry(invoices.id, invoices.name, found, plan.destination, JournalEntry::Status::review);
    entry.setRecognition(read);
    entry.setPlan(plan);
    entry.fileID = FileReadiness::identifier(found);
    // Made before the clean-ups, which count only their own time's entries.
    entry.date = QDateTime::currentDateTimeUtc().addSecs(-60);
    ASSERT_TRUE(store->insert(entry));

    const auto decided = [&] {
        return QTest::qWaitFor([&] { return !autopilot->isDeciding(entry.id); }, 60000);
    };
    const auto expectOneEntry = [&](JournalEntry::Status status) {
        const QList<JournalEntry> journal = store->journal();
        ASSERT_EQ(journal.size(), 1);
        EXPECT_EQ(journal.constFirst().status(), status) << journal.constFirst().message.toStdString();
        EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Sorted/Stray")));
        EXPECT_FALSE(autopilot->inFlight(found) || autopilot->inFlight(filed));
    };

    // Filing: the clean-up, started while the file is on its way, is done
    // before it, and adds nothing.
    ASSERT_TRUE(autopilot->startApprove(entry.id, std::nullopt));
    EXPECT_TRUE(autopilot->inFlight(found) && autopilot->inFlight(filed));
    std::optional<int> fromScans;
    startCleanUp(scans, fromScans);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fromScans.has_value(); }, 60000));
    ASSERT_TRUE(decided());
    EXPECT_EQ(fromScans, 0);
    expectOneEntry(JournalEntry::Status::done);
    EXPECT_EQ(QFileInfo(filed).size(), qint64(256) << 20);
    EXPECT_FALSE(QFileInfo::exists(found));

    // And back: a minute later, when the filing no longer keeps the watcher
    // off the file, clean-ups of the folder it leaves and of the one it goes
    // back to leave it to the undo alike.
    autopilot->setClock([] { return QDateTime::currentDateTimeUtc().addSecs(120); });
    ASSERT_TRUE(autopilot->startUndo(entry.id));
    EXPECT_TRUE(autopilot->inFlight(found) && autopilot->inFlight(filed));
    std::optional<int> fromSorted;
    fromScans.reset();
    startCleanUp(sorted, fromSorted);
    startCleanUp(scans, fromScans);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fromSorted.has_value() && fromScans.has_value(); }, 60000));
    ASSERT_TRUE(decided());
    EXPECT_EQ(fromSorted, 0);
    EXPECT_EQ(fromScans, 0);
    expectOneEntry(JournalEntry::Status::undone);
    EXPECT_EQ(QFileInfo(found).size(), qint64(256) << 20);
    EXPECT_FALSE(QFileInfo::exists(filed));
}

// A file that waits for review is asked about once however often it is
// cleaned up; once skipped, a later clean-up may ask again.
TEST_F(CleanUpTest, AFileWaitingForReviewGetsOnePendingEntry)
{
    const WatchedFolder inbox = inboxAndSorted(true);
    addRule(byKind(QStringLiteral("Invoices"), QStringLiteral("invoice"), QStringLiteral("~/Sorted/{absender}")), inbox.uuid);
    const QString path = inbox.displayPath + QStringLiteral("/bill.pdf");
    unsureInvoice(path);
    oldFile(path, TestSupport::readFile(path));

    // (Entries are counted by the journal: a clean-up's own count takes in
    // the entries of the same millisecond.)
    cleanUp(inbox);
    cleanUp(inbox);
    ASSERT_EQ(store->journal().size(), 1);
    JournalEntry first = store->journal().constFirst();
    EXPECT_EQ(first.status(), JournalEntry::Status::review);

    autopilot->skip(first);
    cleanUp(inbox);
    EXPECT_EQ(store->journal().size(), 2);
    EXPECT_EQ(store->journalCount(JournalEntry::Status::review), 1);
    EXPECT_EQ(store->journalCount(JournalEntry::Status::skipped), 1);
    EXPECT_TRUE(QFileInfo::exists(path));
}

// Two files that a rule gives the same name: the second is filed under the
// next free one, and keeps it at every later clean-up, once the filing no
// longer keeps the watcher off the files.
TEST_F(CleanUpTest, AFileFiledUnderTheNextFreeNameKeepsIt)
{
    const WatchedFolder inbox = inboxAndSorted();
    addRule(byEnding(QStringLiteral("Receipts"), QStringLiteral(".txt"), Kind::rename, QStringLiteral("Receipt")),
            inbox.uuid);
    oldFile(inbox.displayPath + QStringLiteral("/a.txt"), "a");
    oldFile(inbox.displayPath + QStringLiteral("/b.txt"), "b");
    const auto names = [&inbox] {
        return QDir(inbox.displayPath).entryList(QDir::Files, QDir::Name).join(u'|').toStdString();
    };
    const std::string filed = "Receipt 2.txt|Receipt.txt";

    // (Entries are counted by the journal: a clean-up's own count takes in
    // the entries of the same millisecond.)
    cleanUp(inbox);
    ASSERT_EQ(names(), filed);
    ASSERT_EQ(store->journal().size(), 2);
    int minutes = 0;
    autopilot->setClock([&minutes] { return QDateTime::currentDateTimeUtc().addSecs(60 * minutes); });
    for (int round = 1; round <= 3; ++round) {
        minutes += 2;
        cleanUp(inbox);
        EXPECT_EQ(names(), filed) << "clean-up " << round;
        EXPECT_EQ(store->journal().size(), 2) << "clean-up " << round;
    }
}
