// Cleaning up a folder's existing files through the ordinary pipeline, and
// a folder that is gone by the time it is asked for.
#include "AutomationActions.h"
#include "AutopilotFixture.h"
#include "DryRunView.h"
#include "RuleTemplates.h"

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
        actions.cleanUp(inbox.uuid, [&result](const auto &answer) { result = answer; });
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
