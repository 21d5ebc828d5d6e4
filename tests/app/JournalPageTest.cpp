// The journal page and its review sheet over a real store and real files:
// what each row says, the filter against the sidebar badge, and checking,
// filing, skipping and undoing from the page.
#include "Appearance.h"
#include "DesktopIcons.h"
#include "Autopilot.h"
#include "DateText.h"
#include "DesktopLook.h"
#include "FileReadiness.h"
#include "JournalDelegate.h"
#include "JournalModel.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "Planner.h"
#include "PatternReader.h"
#include "Prefs.h"
#include "RealHome.h"
#include "ScopedEnv.h"
#include "TestSupport.h"
#include "Theme.h"
#include "ThemeStore.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEngine>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <random>

#include <sys/stat.h>

namespace {

using Status = JournalEntry::Status;

class JournalPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Prefs::registerDefaults();
        Prefs::setValue(QString::fromUtf16(Prefs::nameLanguageKey), QStringLiteral("en"));
        home = RealHome::path();
        for (const char *name : {"Inbox", "Sorted"})
            QDir(home + QLatin1Char('/') + QLatin1String(name)).removeRecursively();
        QDir(home).mkpath(QStringLiteral("Inbox"));
        QDir(home).mkpath(QStringLiteral("Sorted"));
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("journal.store"))));
        inbox = *model->autopilot().addFolder(home + QStringLiteral("/Inbox"), true);
        model->autopilot().addFolder(home + QStringLiteral("/Sorted"), false);
        model->setSidebar(SidebarItem::journal);
        window = std::make_unique<MainWindow>(*model);
        window->show();
        page = qobject_cast<JournalPage *>(window->currentPage());
        ASSERT_NE(page, nullptr);
    }

    Store &store() const { return model->store(); }

    JournalEntry add(Status status, const QString &original, const QString &filed, const QString &raw = {})
    {
        JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), original, filed, status);
        if (!raw.isEmpty())
            entry.statusRaw = raw;
        EXPECT_TRUE(store().insert(entry));
        return entry;
    }

    // A file of the inbox waiting for review under an invoice rule that
    // names the filed file after its sender, as the automation leaves it.
    JournalEntry waiting(const QString &name, const QString &sender, const QString &folder = {},
                         const QString &moveTo = QStringLiteral("~/Sorted"))
    {
        Rule rule{QUuid::createUuid(), QStringLiteral("Invoices"),
                  {Condition{QUuid::createUuid(), Condition::Field::kind, Condition::Operator::is, QStringLiteral("invoice")}},
                  {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, moveTo},
                   RuleAction{QUuid::createUuid(), RuleAction::Kind::rename, QStringLiteral("{absender}")}},
                  true, std::nullopt};
        StoredRule stored(rule, inbox.uuid, 1);
        store().insert(stored);
        const QString file = (folder.isEmpty() ? home + QStringLiteral("/Inbox") : folder) + QLatin1Char('/') + name;
        if (!QFileInfo::exists(file)) {
            EXPECT_TRUE(TestSupport::writeFile(file, "%PDF " + name.toUtf8()));
        }
        Recognition read;
        read.kind = DocumentKind::invoice;
        read.sender = sender;
        read.confidence = 0.4;
        read.readAt = QDateTime::currentDateTimeUtc();
        const Plan plan = Planner::plan(rule, FileFacts::read(file, read, std::nullopt, QDateTime::currentDateTimeUtc()),
                                        Prefs::nameTemplate(), home);
        JournalEntry entry(stored.uuid, rule.name, file, plan.destination, Status::review);
        entry.setRecognition(read);
        entry.setPlan(plan);
        entry.fileID = FileReadiness::identifier(file);
        EXPECT_TRUE(store().insert(entry));
        return entry;
    }

    const JournalRow *shown(qint64 id) const { return page->journal().entry(page->journal().rowOf(id)); }
    bool sheetOpen() const { return page->reviewSheet() && page->reviewSheet()->isVisible(); }

    // Waits, turning the event loop, until no decision on the entry is under
    // way; the number of turns it took.
    int waitForDecision(qint64 id)
    {
        int turns = 0;
        QElapsedTimer patience;
        patience.start();
        while (model->autopilot().isDeciding(id) && patience.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            ++turns;
        }
        EXPECT_FALSE(model->autopilot().isDeciding(id));
        return turns;
    }

    // A folder on another file system than the home folder (a tmpfs), or
    // empty where there is none.
    QString otherFileSystem() { return TestSupport::onOtherFileSystem(shm.isValid() ? shm.path() : QString(), home); }

    // A file of size megabytes, written in full (no holes to copy quickly).
    static bool writeLarge(const QString &path, int megabytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < megabytes; ++i) {
            if (file.write(block) != block.size())
                return false;
        }
        return true;
    }

    // Clicks the button painted in the entry's row.
    void clickAction(qint64 id)
    {
        QTableView *list = page->list();
        const QModelIndex index = page->journal().index(page->journal().rowOf(id));
        list->scrollTo(index);
        const QRect button = JournalDelegate().actionRect(*shown(id), list->visualRect(index), list->font());
        ASSERT_FALSE(button.isEmpty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, button.center());
    }

    // Put back after the test, whatever it changed.
    const TestSupport::ScopedSettings settings;
    QTemporaryDir dir;
    QTemporaryDir shm{QStringLiteral("/dev/shm/journal-test-XXXXXX")};
    QString home;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<MainWindow> window;
    JournalPage *page = nullptr;
    WatchedFolder inbox;
};

} // namespace

TEST_F(JournalPageTest, EachStatusHasItsOwnRow)
{
    const QString found = home + QStringLiteral("/Inbox/scan.pdf");
    const QString filed = home + QStringLiteral("/Sorted/ACME.pdf");
    struct Case
    {
        Status status;
        QString raw, filedPath, title, detail, chip;
        bool undo;
    };
    const QList<Case> cases{
        {Status::done, {}, filed, "ACME.pdf", "Invoices: was scan.pdf, now in ~/Sorted", {}, true},
        {Status::done, {}, found, "scan.pdf", "Invoices: tagged, stays in ~/Inbox", {}, true},
        {Status::done, "shredded", filed, "ACME.pdf", "Invoices: was scan.pdf, now in ~/Sorted", {}, true},
        {Status::review, {}, filed, "scan.pdf", "Invoices would file it as ACME.pdf", "Please check", false},
        {Status::undone, {}, filed, "scan.pdf", "Invoices: undone, back in ~/Inbox", "Undone", false},
        // A failed or skipped entry holds the planned place; the file never left the inbox.
        {Status::failed, {}, filed, "scan.pdf", "Invoices: not filed, still in ~/Inbox", "Not done", false},
        {Status::skipped, {}, filed, "scan.pdf", "Invoices: skipped, stays in ~/Inbox", "Skipped", false},
        {Status::trashed, {}, filed, "ACME.pdf", "Invoices: moved to the Trash", "In the Trash", false},
    };
    for (const Case &c : cases) {
        JournalEntry entry = add(c.status, found, c.filedPath, c.raw);
        entry.message = QStringLiteral("note");
        entry.setPerformed(Performed{found, c.filedPath, {}, {}, std::nullopt});
        store().update(entry);
        const JournalRow *row = shown(entry.id);
        ASSERT_NE(row, nullptr) << c.detail.toStdString();
        EXPECT_EQ(row->title, c.title);
        EXPECT_EQ(row->iconPath, c.title == "scan.pdf" ? found : c.filedPath);
        EXPECT_EQ(row->detail, c.detail);
        EXPECT_EQ(row->chip().value_or(JournalRow::Chip{}).text, c.chip);
        EXPECT_EQ(row->canUndo(), c.undo);
        EXPECT_EQ(row->message.isEmpty(), c.status == Status::review);
    }
    // A file no rule could be tried on (its name is not valid UTF-8) fails without a rule to name.
    JournalEntry unnamed(std::nullopt, QString(), home + QStringLiteral("/Inbox/scan\uFFFD.pdf"), QString(),
                         Status::failed);
    ASSERT_TRUE(store().insert(unnamed));
    const JournalRow *row = shown(unnamed.id);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->title, QStringLiteral("scan\uFFFD.pdf"));
    EXPECT_EQ(row->detail, QStringLiteral("Not filed, still in ~/Inbox"));
}

// A row's icon is what its path is now, while the program runs: a folder
// removed shows a gone path's icon, and a path that appears shows what it
// has become, on a repaint with the page shown and on the page shown again.
TEST_F(JournalPageTest, ARowsIconFollowsItsPathWhileTheProgramRuns)
{
    const DesktopIcons icons;
    const QString folder = home + QStringLiteral("/Sorted/Contracts");
    const QString missing = home + QStringLiteral("/Sorted/Receipts");
    ASSERT_TRUE(QDir().mkpath(folder));
    const JournalEntry there = add(Status::done, home + QStringLiteral("/Inbox/Contracts"), folder);
    const JournalEntry never = add(Status::done, home + QStringLiteral("/Inbox/Receipts"), missing);

    // The icon of an entry's row as the list draws it now.
    const auto icon = [&](qint64 id) {
        QTableView *list = page->list();
        const QModelIndex index = page->journal().index(page->journal().rowOf(id));
        const auto *delegate = qobject_cast<const JournalDelegate *>(list->itemDelegate());
        const QRect area = delegate->iconRect(*shown(id), list->visualRect(index), list->font());
        const QImage image = list->viewport()->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        return image.copy(QRect(area.topLeft() * ratio, area.size() * ratio));
    };
    const QImage folderIcon = icon(there.id);
    const QImage goneIcon = icon(never.id);
    ASSERT_FALSE(folderIcon.isNull());
    ASSERT_TRUE(folderIcon != goneIcon) << "a folder and a gone path without a type look alike here";

    enum class Shows { folder, gone };
    struct Step
    {
        const char *what;
        std::function<void()> change;
        bool showAgain;
        Shows folderRow, missingRow;
    };
    const Step steps[] = {
        {"the folder removed", [&] { ASSERT_TRUE(QDir().rmdir(folder)); }, false, Shows::gone, Shows::gone},
        {"the page shown again", [] {}, true, Shows::gone, Shows::gone},
        {"the missing path made a folder", [&] { ASSERT_TRUE(QDir().mkdir(missing)); }, false, Shows::gone, Shows::folder},
        {"the page shown again", [] {}, true, Shows::gone, Shows::folder},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        if (step.showAgain) {
            model->setSidebar(SidebarItem::rules);
            model->setSidebar(SidebarItem::journal);
            page = qobject_cast<JournalPage *>(window->currentPage());
            ASSERT_NE(page, nullptr);
            QCoreApplication::processEvents();
        }
        const auto expected = [&](Shows shows) { return shows == Shows::folder ? folderIcon : goneIcon; };
        EXPECT_TRUE(icon(there.id) == expected(step.folderRow)) << "the folder's row";
        EXPECT_TRUE(icon(never.id) == expected(step.missingRow)) << "the missing path's row";
    }
}

TEST_F(JournalPageTest, FilterAndBadgeAgreeAsEntriesChange)
{
    EXPECT_EQ(page->emptyTitle(), "Nothing Yet");
    model->setJournalFilter(AppModel::JournalFilter::review);
    EXPECT_EQ(page->emptyTitle(), "Nothing to Check");

    const QString file = home + QStringLiteral("/Inbox/a.pdf");
    add(Status::done, file, file);
    JournalEntry first = add(Status::review, file, file);
    add(Status::review, file, file);
    EXPECT_EQ(page->journal().entryCount(), 2);
    EXPECT_EQ(window->reviewBadge(), 2);
    EXPECT_TRUE(page->emptyTitle().isEmpty());

    model->autopilot().skip(first);
    EXPECT_EQ(page->journal().entryCount(), 1);
    EXPECT_EQ(window->reviewBadge(), 1);
    model->setJournalFilter(AppModel::JournalFilter::all);
    EXPECT_EQ(page->journal().entryCount(), 3);
}

TEST_F(JournalPageTest, CheckFileWithCorrectedSenderThenUndo)
{
    const JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral("Wrong Name"));
    clickAction(entry.id);
    ReviewSheet *sheet = page->reviewSheet();
    ASSERT_NE(sheet, nullptr);
    sheet->senderField()->clear();
    QTest::keyClicks(sheet->senderField(), QStringLiteral("ACME"));
    sheet->fileButton()->click();
    waitForDecision(entry.id);

    const QString filed = home + QStringLiteral("/Sorted/ACME.pdf");
    EXPECT_TRUE(QFileInfo::exists(filed));
    EXPECT_FALSE(QFileInfo::exists(entry.originalPath));
    EXPECT_EQ(shown(entry.id)->detail, "Invoices: was scan.pdf, now in ~/Sorted");
    EXPECT_EQ(store().journalEntry(entry.id)->recognition()->sender, "ACME");

    clickAction(entry.id);
    waitForDecision(entry.id);
    EXPECT_TRUE(QFileInfo::exists(entry.originalPath));
    EXPECT_FALSE(QFileInfo::exists(filed));
    EXPECT_EQ(shown(entry.id)->status, Status::undone);
    EXPECT_FALSE(shown(entry.id)->action());
}

TEST_F(JournalPageTest, SkipLeavesTheFileAndDropsCorrections)
{
    const JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral("Wrong Name"));
    page->review(entry.id);
    QTest::keyClicks(page->reviewSheet()->senderField(), QStringLiteral(" more"));
    page->reviewSheet()->skipButton()->click();
    const JournalEntry stored = *store().journalEntry(entry.id);
    EXPECT_EQ(stored.status(), Status::skipped);
    EXPECT_EQ(stored.recognition()->sender, "Wrong Name");
    EXPECT_TRUE(QFileInfo::exists(entry.originalPath));
    EXPECT_EQ(shown(entry.id)->title, "scan.pdf");
}

TEST_F(JournalPageTest, SheetReadsWhatTheUserTyped)
{
    // Far east of UTC a document day held at 12:00 UTC is the next day in local time.
    const ScopedEnv zone("TZ", QByteArray("Pacific/Kiritimati"));
    ::tzset();
    JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral(" ACME "));
    Recognition read = *entry.recognition();
    read.date = PatternReader::makeDate(2026, 3, 3);
    read.amount = Decimal::fromString(u"12.346");
    read.source = Recognition::Source::model;
    entry.setRecognition(read);
    store().update(entry);
    page->review(entry.id);
    ReviewSheet &sheet = *page->reviewSheet();
    EXPECT_EQ(sheet.dateField()->date(), QDate(2026, 3, 3));
    EXPECT_EQ(sheet.amountField()->text(), "12.35");
    EXPECT_TRUE(sheet.footer().startsWith("Recognized by the local language model"));
    EXPECT_EQ(sheet.corrected().sender, " ACME ");
    EXPECT_EQ(sheet.corrected().amount, Decimal::fromString(u"12.35"));

    // One decimal is a decimal; a currency typed with the number is no part of it.
    for (const QString &typed : {QStringLiteral("12,50"), QStringLiteral("12.50"), QStringLiteral("12,5"),
                                 QStringLiteral("12.5"), QStringLiteral("€ 12,5"), QStringLiteral("12.50 EUR")}) {
        sheet.amountField()->setText(typed);
        EXPECT_EQ(sheet.corrected().amount, Decimal::fromString(u"12.5")) << typed.toStdString();
    }
    sheet.amountField()->setText(QStringLiteral("twelve"));
    EXPECT_FALSE(sheet.corrected().amount);
    sheet.senderField()->selectAll();
    QTest::keyClick(sheet.senderField(), Qt::Key_Delete);
    EXPECT_FALSE(sheet.corrected().sender);
    QTest::keyClicks(sheet.currencyField(), QStringLiteral(" eur "));
    EXPECT_EQ(sheet.corrected().currency, "EUR");
    sheet.kindBox()->setCurrentIndex(1);
    EXPECT_EQ(sheet.corrected().kind, DocumentKind::receipt);

    // A picked day is stored at 12:00 UTC; the picker keeps to the years a document date may hold.
    sheet.dateField()->setDate(QDate(2026, 4, 9));
    EXPECT_EQ(sheet.corrected().date, QDateTime(QDate(2026, 4, 9), QTime(12, 0), Qt::UTC));
    sheet.dateField()->setDate(QDate(1850, 6, 1));
    EXPECT_EQ(sheet.corrected().date, QDateTime(QDate(1990, 1, 1), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(sheet.corrected().confidence, 1.0);
    sheet.reject();
    EXPECT_EQ(store().journalEntry(entry.id)->status(), Status::review);
}

TEST_F(JournalPageTest, ApproveAndUndoAcrossFileSystemsLeaveTheWindowTurning)
{
    const QString elsewhere = otherFileSystem();
    if (elsewhere.isEmpty())
        GTEST_SKIP() << "no tmpfs at /dev/shm on another file system than the home folder";
    const QString found = elsewhere + QStringLiteral("/scan.pdf");
    ASSERT_TRUE(writeLarge(found, 96));
    const JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral("ACME"), elsewhere);
    const QString filed = home + QStringLiteral("/Sorted/ACME.pdf");

    // Filing: the outcome comes back through the event loop, which turns meanwhile.
    page->review(entry.id);
    page->reviewSheet()->fileButton()->click();
    EXPECT_FALSE(sheetOpen());
    EXPECT_TRUE(model->autopilot().isDeciding(entry.id));
    EXPECT_TRUE(shown(entry.id)->busy);
    EXPECT_EQ(shown(entry.id)->chip()->text, "Working…");
    EXPECT_GT(waitForDecision(entry.id), 1);
    EXPECT_EQ(store().journalEntry(entry.id)->status(), Status::done);
    EXPECT_FALSE(store().journalEntry(entry.id)->intentData);
    EXPECT_FALSE(shown(entry.id)->busy);
    EXPECT_EQ(QFileInfo(filed).size(), 96 << 20);
    EXPECT_FALSE(QFileInfo::exists(found));

    // And back again, the same way.
    clickAction(entry.id);
    EXPECT_TRUE(shown(entry.id)->busy);
    EXPECT_GT(waitForDecision(entry.id), 1);
    EXPECT_EQ(shown(entry.id)->status, Status::undone);
    EXPECT_EQ(QFileInfo(found).size(), 96 << 20);
    EXPECT_FALSE(QFileInfo::exists(filed));
}

TEST_F(JournalPageTest, ASecondClickWhileADecisionRunsDoesNothing)
{
    const JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral("ACME"));
    page->review(entry.id);
    page->reviewSheet()->fileButton()->click();
    ASSERT_TRUE(model->autopilot().isDeciding(entry.id));
    // The row still offers "Check…" until the filing has ended: neither its
    // button nor the Return key opens the sheet again.
    clickAction(entry.id);
    EXPECT_FALSE(sheetOpen());
    page->list()->selectRow(page->journal().rowOf(entry.id));
    QTest::keyClick(page->list(), Qt::Key_Return);
    EXPECT_FALSE(sheetOpen());
    EXPECT_FALSE(model->autopilot().startSkip(entry.id));
    waitForDecision(entry.id);
    EXPECT_EQ(store().journalEntry(entry.id)->status(), Status::done);

    // Undo clicked twice moves the file back once.
    const QString filed = home + QStringLiteral("/Sorted/ACME.pdf");
    clickAction(entry.id);
    clickAction(entry.id);
    EXPECT_FALSE(model->autopilot().startUndo(entry.id));
    waitForDecision(entry.id);
    const JournalEntry undone = *store().journalEntry(entry.id);
    EXPECT_EQ(undone.status(), Status::undone);
    EXPECT_TRUE(undone.message.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(entry.originalPath));
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Inbox/scan 2.pdf")));
    EXPECT_FALSE(QFileInfo::exists(filed));
}

TEST_F(JournalPageTest, ADestinationRemovedWhileFilingFailsAndKeepsTheFile)
{
    const QString elsewhere = otherFileSystem();
    if (elsewhere.isEmpty())
        GTEST_SKIP() << "no tmpfs at /dev/shm on another file system than the home folder";
    const QString found = elsewhere + QStringLiteral("/scan.pdf");
    ASSERT_TRUE(writeLarge(found, 384));
    const JournalEntry entry = waiting(QStringLiteral("scan.pdf"), QStringLiteral("ACME"), elsewhere,
                                       QStringLiteral("~/Sorted/Deep"));
    const QString deep = home + QStringLiteral("/Sorted/Deep");
    ASSERT_FALSE(QFileInfo::exists(deep));

    ASSERT_TRUE(model->autopilot().startApprove(entry.id, std::nullopt));
    // The folder is made on the worker thread before the copy goes into it;
    // it goes away while the copy runs.
    bool removed = false;
    while (!removed && !QFileInfo::exists(deep + QStringLiteral("/ACME.pdf"))) {
        if (QFileInfo::exists(deep))
            removed = QDir(deep).removeRecursively();
        QThread::usleep(100);
    }
    ASSERT_TRUE(removed);
    waitForDecision(entry.id);
    const JournalEntry failed = *store().journalEntry(entry.id);
    EXPECT_EQ(failed.status(), Status::failed);
    EXPECT_FALSE(failed.message.isEmpty());
    EXPECT_FALSE(failed.intentData);
    EXPECT_EQ(shown(entry.id)->chip()->text, "Not done");
    EXPECT_EQ(shown(entry.id)->message, failed.message);
    EXPECT_EQ(QFileInfo(found).size(), qint64(384) << 20);
    EXPECT_FALSE(QFileInfo::exists(deep + QStringLiteral("/ACME.pdf")));
}

// Filed from the sheet after the file was deleted, or into a place where no
// folder can be made: the entry fails with the reason, and nothing is made
// or moved.
TEST_F(JournalPageTest, FilingAFileGoneMeanwhileOrIntoAPlaceThatCannotBeWrittenChangesNothing)
{
    ASSERT_TRUE(TestSupport::writeFile(home + QStringLiteral("/Sorted/Blocked"), "in the way"));
    const struct
    {
        const char *name;
        const char *moveTo;
        bool deleted;
        std::string message;
    } cases[] = {
        {"Entgelt_10_2026.pdf", "~/Sorted/2026", true, "“Entgelt_10_2026.pdf” is no longer in ~/Inbox."},
        // The system's reason.
        {"scan.pdf", "~/Sorted/Blocked/2026", false,
         "The folder “2026” couldn’t be created: " + std::string(std::strerror(ENOTDIR)) + "."},
    };
    for (const auto &c : cases) {
        const JournalEntry entry = waiting(QString::fromUtf8(c.name), QStringLiteral("ACME"), {}, QString::fromUtf8(c.moveTo));
        if (c.deleted) {
            ASSERT_TRUE(QFile::remove(entry.originalPath));
        }
        clickAction(entry.id);
        ASSERT_TRUE(sheetOpen());
        page->reviewSheet()->fileButton()->click();
        waitForDecision(entry.id);

        const JournalEntry failed = *store().journalEntry(entry.id);
        EXPECT_EQ(failed.status(), Status::failed) << c.name;
        EXPECT_EQ(failed.message.toStdString(), c.message);
        EXPECT_EQ(shown(entry.id)->message, failed.message);
        EXPECT_EQ(QFileInfo::exists(entry.originalPath), !c.deleted) << c.name;
        EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Sorted/2026"))) << c.name;
    }
    EXPECT_EQ(TestSupport::readFile(home + QStringLiteral("/Sorted/Blocked")), QByteArray("in the way"));
}

TEST_F(JournalPageTest, TheKeyboardReachesEveryRowAction)
{
    const JournalEntry check = waiting(QStringLiteral("scan.pdf"), QStringLiteral("ACME"));
    const QString original = home + QStringLiteral("/Inbox/kept.pdf");
    const QString filed = home + QStringLiteral("/Sorted/kept.pdf");
    ASSERT_TRUE(TestSupport::writeFile(filed, "kept"));
    JournalEntry undoable = add(Status::done, original, filed);
    undoable.setPerformed(Performed{original, filed, {}, {}, std::nullopt});
    store().update(undoable);
    QTableView *list = page->list();
    list->setFocus();

    // Return: Check… opens the sheet of a waiting file.
    list->selectRow(page->journal().rowOf(check.id));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_NE(page->reviewSheet(), nullptr);
    EXPECT_EQ(page->reviewSheet()->entry().id, check.id);
    page->reviewSheet()->reject();
    page->review(std::nullopt);

    // Return opens nothing on the other rows, and above all it does not
    // undo a filing: the filed file stays where it is.
    const JournalEntry others[] = {undoable, add(Status::done, original, filed), add(Status::failed, original, filed),
                                   add(Status::skipped, original, filed)};
    for (const JournalEntry &entry : others) {
        list->selectRow(page->journal().rowOf(entry.id));
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_FALSE(model->autopilot().isDeciding(entry.id)) << int(entry.status());
        EXPECT_EQ(store().journalEntry(entry.id)->status(), entry.status());
        EXPECT_FALSE(sheetOpen());
    }
    EXPECT_TRUE(QFileInfo::exists(filed));
    EXPECT_FALSE(QFileInfo::exists(original));

    // The Menu key opens the row's menu, whose Undo moves the file back.
    QStringList offered;
    QTimer::singleShot(0, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *action : menu->actions())
                offered.append(action->text());
            menu->setActiveAction(menu->actions().constFirst());
            QTest::keyClick(menu, Qt::Key_Return);
        }
    });
    list->selectRow(page->journal().rowOf(undoable.id));
    QTest::keyClick(list, Qt::Key_Menu);
    EXPECT_EQ(offered, (QStringList{"Undo", "Show in File Manager"}));
    waitForDecision(undoable.id);
    EXPECT_EQ(store().journalEntry(undoable.id)->status(), Status::undone);
    EXPECT_TRUE(QFileInfo::exists(original));
}

// The list is a stop only while it has rows, and where the keyboard is in
// it is always an entry, never a day's header.
TEST_F(JournalPageTest, TheKeyboardInTheListIsOnEntriesOnly)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *sidebar = window->findChild<QWidget *>(QStringLiteral("sidebar"));
    ASSERT_NE(sidebar, nullptr);
    JournalList *list = page->list();
    const auto tabFromSidebar = [sidebar] {
        sidebar->setFocus(Qt::TabFocusReason);
        QTest::keyClick(sidebar, Qt::Key_Tab);
        return QApplication::focusWidget();
    };
    const auto current = [this, list] {
        const JournalRow *row = page->journal().entry(list->currentIndex().row());
        return row ? row->id : 0;
    };

    // Empty under either filter: Tab passes the list by.
    for (const auto filter : {AppModel::JournalFilter::review, AppModel::JournalFilter::all}) {
        model->setJournalFilter(filter);
        ASSERT_FALSE(page->emptyTitle().isEmpty());
        EXPECT_NE(tabFromSidebar(), list) << page->emptyTitle().toStdString();
    }

    // Today a waiting file and a filed one, yesterday one more.
    const JournalEntry waitingFile = waiting(QStringLiteral("a.pdf"), QStringLiteral("ACME"));
    const auto in = [this](const char *path) { return home + QLatin1String(path); };
    const JournalEntry filed = add(Status::done, in("/Inbox/b.pdf"), in("/Sorted/b.pdf"));
    JournalEntry older = add(Status::done, in("/Inbox/y.pdf"), in("/Sorted/y.pdf"));
    older.date = older.date.addDays(-1);
    store().update(older);
    ASSERT_TRUE(page->journal().day(3)); // Today, b, a, Yesterday, y

    // Tab in: the first entry, under its day's header.
    EXPECT_EQ(tabFromSidebar(), list);
    EXPECT_EQ(current(), filed.id);
    // The keys pass over headers both ways; typing "y" finds the entry, not "Yesterday".
    const struct
    {
        Qt::Key key;
        qint64 reached;
    } steps[] = {{Qt::Key_Down, waitingFile.id}, {Qt::Key_Down, older.id}, {Qt::Key_Down, older.id},
                 {Qt::Key_Up, waitingFile.id},   {Qt::Key_Up, filed.id},     {Qt::Key_Up, filed.id},
                 {Qt::Key_End, older.id},        {Qt::Key_Home, filed.id},   {Qt::Key_PageDown, older.id},
                 {Qt::Key_PageUp, filed.id},     {Qt::Key_Y, older.id}};
    for (const auto &step : steps) {
        QTest::keyClick(list, step.key);
        EXPECT_EQ(current(), step.reached) << QKeySequence(step.key).toString().toStdString();
    }

    // A click on a header leaves the keyboard where it was. Coming back,
    // the keyboard is on the selected entry, also when rows that went left
    // the current row on a header.
    list->selectRow(page->journal().rowOf(waitingFile.id));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(page->journal().index(3)).center());
    EXPECT_EQ(current(), waitingFile.id);
    list->selectionModel()->setCurrentIndex(page->journal().index(0), QItemSelectionModel::NoUpdate);
    EXPECT_EQ(tabFromSidebar(), list);
    EXPECT_EQ(current(), waitingFile.id);
    // Return opens the check of the waiting file.
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(sheetOpen());
    page->reviewSheet()->reject();
    page->review(std::nullopt);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    // The list loses its last row while it has the focus: the focus goes to the filter.
    model->setJournalFilter(AppModel::JournalFilter::review);
    list->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(current(), waitingFile.id);
    ASSERT_TRUE(model->autopilot().startSkip(waitingFile.id));
    waitForDecision(waitingFile.id);
    QCoreApplication::processEvents();
    EXPECT_EQ(page->emptyTitle(), "Nothing to Check");
    EXPECT_EQ(window->focusWidget()->objectName(), "review");
}

TEST_F(JournalPageTest, DaysAreTheUsersCalendarDays)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QDate today(2026, 3, 4);
    EXPECT_EQ(JournalRow::dayTitle(today, today), "Today");
    EXPECT_EQ(JournalRow::dayTitle(today.addDays(-1), today), "Yesterday");
    EXPECT_EQ(JournalRow::dayTitle(today.addDays(-2), today), "Monday, March 2, 2026");
    EXPECT_EQ(JournalRow::dayTitle(QDate(2025, 3, 3), today), "Monday, March 3, 2025");
    // A year's turn: yesterday of the first of January.
    EXPECT_EQ(JournalRow::dayTitle(QDate(2025, 12, 31), QDate(2026, 1, 1)), "Yesterday");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Prefs::setValue(QString::fromUtf16(Prefs::nameLanguageKey), QStringLiteral("de"));
    EXPECT_EQ(JournalRow::dayTitle(today.addDays(-2), today), "Montag, 2. März 2026");
    Prefs::setValue(QString::fromUtf16(Prefs::nameLanguageKey), QStringLiteral("en"));
    QLocale::setDefault(before);

    // 23:59 and 00:01 in Berlin, which New York sees on one evening.
    const QDateTime lateEvening(QDate(2026, 3, 1), QTime(22, 59), Qt::UTC);
    const QDateTime pastMidnight(QDate(2026, 3, 1), QTime(23, 1), Qt::UTC);
    const QString file = home + QStringLiteral("/Inbox/a.pdf");
    JournalEntry first = add(Status::done, file, file);
    first.date = lateEvening;
    store().update(first);
    JournalEntry second = add(Status::done, file, file);
    second.date = pastMidnight;
    store().update(second);
    // The rows as the list has them: day rows by their day, entry rows by their id.
    const auto rows = [this](const QByteArray &zone) {
        const ScopedEnv tz("TZ", zone);
        ::tzset();
        JournalModel journal(store());
        journal.setFilter(AppModel::JournalFilter::all);
        QStringList shown;
        for (int row = 0; row < journal.rowCount(); ++row) {
            const std::optional<QDate> day = journal.day(row);
            shown.append(day ? day->toString(Qt::ISODate) : QString::number(journal.entry(row)->id));
        }
        return shown;
    };
    const QString earlier = QString::number(first.id), later = QString::number(second.id);
    EXPECT_EQ(rows("Europe/Berlin"), (QStringList{"2026-03-02", later, "2026-03-01", earlier}));
    EXPECT_EQ(rows("America/New_York"), (QStringList{"2026-03-01", later, earlier}));
    ::tzset();
}

TEST_F(JournalPageTest, RowsInViewFitTheWidthAfterAResize)
{
    const QString file = home + QStringLiteral("/Inbox/a.pdf");
    const QString deep = home + QStringLiteral("/Sorted/") + QString(60, QLatin1Char('x'));
    for (int i = 0; i < 300; ++i)
        add(Status::done, file, deep + QStringLiteral("/filed %1.pdf").arg(i));
    QTableView *list = page->list();
    const auto fits = [&](int row) {
        return list->rowHeight(row)
            == JournalDelegate().rowHeight(page->journal(), row, list->viewport()->width(), list->font());
    };
    window->resize(1400, 700);
    QCoreApplication::processEvents();
    const int wide = list->rowHeight(1);
    EXPECT_TRUE(fits(1));

    // Narrow, the journal lines wrap: the rows in view grow at once.
    window->resize(560, 700);
    QCoreApplication::processEvents();
    EXPECT_GT(list->rowHeight(1), wide);
    EXPECT_TRUE(fits(1));
    // A row far below fits when it comes into view.
    const int far = page->journal().rowCount() - 2;
    list->scrollTo(page->journal().index(far));
    QCoreApplication::processEvents();
    EXPECT_TRUE(fits(far));
}

namespace {

// A device that keeps the texts painted on it, each with where its line stands.
class TextCatcher : public QPaintDevice
{
public:
    struct Drawn
    {
        QPointF at;
        QString text;
        qreal width = 0;
    };
    explicit TextCatcher(QSize size)
        : m_engine(this)
        , m_size(size)
    {
    }
    QPaintEngine *paintEngine() const override { return const_cast<Engine *>(&m_engine); }
    QList<Drawn> drawn;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    class Engine : public QPaintEngine
    {
    public:
        explicit Engine(TextCatcher *device)
            : QPaintEngine(AllFeatures)
            , m_device(device)
        {
        }
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF &p, const QTextItem &item) override
        {
            m_device->drawn.append(Drawn{painter()->transform().map(p), item.text(), item.width()});
        }
        Type type() const override { return User; }

    private:
        TextCatcher *m_device;
    };
    Engine m_engine;
    QSize m_size;
};

} // namespace

// An entry's message shows whole, on as many lines as it needs, inside its
// row: at the desktop's style and font, in a wide and a narrow window.
TEST_F(JournalPageTest, AMessageShowsWholeOnAsManyLinesAsItNeeds)
{
    const QString file = home + QStringLiteral("/Inbox/a.pdf");
    const QStringList messages{
        QStringLiteral("Kein Zugriff auf ~/Pictures/Screenshots/2026-12. F\u00FCge den Ordner unter Ordner > Orte hinzu, "
                       "damit Filewright ihn lesen und Dateien dorthin legen kann."),
        // A path longer than a line breaks inside itself.
        QStringLiteral("~/") + QStringList(12, QStringLiteral("Verzeichnis")).join(u'/'),
        QStringLiteral("Short."),
    };
    for (const QString &message : messages) {
        JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), file, home + QStringLiteral("/Sorted/a.pdf"),
                           Status::failed);
        entry.message = message;
        ASSERT_TRUE(store().insert(entry));
    }
    QTableView *list = page->list();
    for (const QString &style : {QStringLiteral("Fusion"), QStringLiteral("Adwaita-Dark")}) {
        for (const qreal points : {11.0, 13.0}) {
            const DesktopLook look(style, points);
            ASSERT_TRUE(look.isAvailable()) << style.toStdString();
            for (const int width : {1200, 640}) {
                window->resize(width, 900);
                DesktopLook::settle();
                for (int row = 0; row < page->journal().rowCount(); ++row) {
                    const JournalRow *shown = page->journal().entry(row);
                    if (!shown || shown->message.isEmpty())
                        continue;
                    const std::string where = style.toStdString() + ", " + std::to_string(int(points)) + " pt, "
                        + std::to_string(width) + " px: " + shown->message.toStdString();
                    QStyleOptionViewItem option;
                    option.initFrom(list);
                    option.rect = list->visualRect(page->journal().index(row));
                    option.font = list->font();
                    option.state &= ~QStyle::State_HasFocus;
                    TextCatcher catcher(list->viewport()->size());
                    {
                        QPainter painter(&catcher);
                        list->itemDelegate()->paint(&painter, option, page->journal().index(row));
                    }
                    // The row's text stands right of the icon and left of the
                    // trailing column, which holds the time and the button.
                    const auto *delegate = static_cast<const JournalDelegate *>(list->itemDelegate());
                    const int textLeft = delegate->iconRect(*shown, option.rect, list->font()).right() + 1;
                    int textRight = option.rect.right() + 1;
                    if (const QRect action = delegate->actionRect(*shown, option.rect, list->font()); action.isValid())
                        textRight = action.left();
                    const QString time = DateText::time(shown->date.toLocalTime().time());
                    for (const TextCatcher::Drawn &drawn : std::as_const(catcher.drawn)) {
                        if (drawn.text == time)
                            textRight = std::min(textRight, int(drawn.at.x()));
                    }
                    // The texts drawn that are parts of the message, in order,
                    // each inside the row's text: below it ends, and across.
                    QString lines;
                    int count = 0;
                    for (const TextCatcher::Drawn &drawn : std::as_const(catcher.drawn)) {
                        if (!shown->message.contains(drawn.text.trimmed()) || drawn.text.trimmed().isEmpty())
                            continue;
                        lines += drawn.text;
                        ++count;
                        EXPECT_LT(drawn.at.y(), option.rect.bottom() - 4) << where;
                        EXPECT_GE(drawn.at.x(), textLeft) << where << ": " << drawn.text.toStdString();
                        EXPECT_LE(drawn.at.x() + drawn.width, textRight) << where << ": " << drawn.text.toStdString();
                    }
                    EXPECT_EQ(lines.remove(u' ').toStdString(), QString(shown->message).remove(u' ').toStdString()) << where;
                    if (QFontMetrics(list->font()).horizontalAdvance(shown->message) > option.rect.width()) {
                        EXPECT_GT(count, 1) << where;
                    }
                }
            }
        }
    }
}

TEST_F(JournalPageTest, TheTitleAndASelectedRowWhoseChipAndButtonStayReadable)
{
    const auto *title = page->findChild<QLabel *>(QStringLiteral("pageTitle"));
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->isVisibleTo(page));
    EXPECT_EQ(title->text(), QStringLiteral("Journal"));

    // Contrast as the web's accessibility rules measure it: 1 for equal
    // colours, 21 for black on white.
    const auto luminance = [](const QColor &colour) {
        const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    };
    const auto contrast = [&](const QColor &a, const QColor &b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    // The strongest contrast within an area against a colour: a chip's text and symbol.
    const auto strongest = [&](const QImage &image, const QRect &area, const QColor &against) {
        double best = 1;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                best = std::max(best, contrast(image.pixelColor(x, y), against));
        }
        return best;
    };
    // The colour most of an area has: a button's fill.
    const auto commonest = [](const QImage &image, const QRect &area) {
        QHash<QRgb, int> counts;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                ++counts[image.pixel(x, y)];
        }
        QRgb found = 0;
        int most = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > most) {
                most = it.value();
                found = it.key();
            }
        }
        return QColor::fromRgb(found);
    };
    struct Look
    {
        double chip; // the chip's text against the row
        double fill; // the button's fill against the row
        double label; // the button's title against its fill
    };

    const JournalEntry check = waiting(QStringLiteral("scan.pdf"), QStringLiteral("ACME"));
    QTableView *list = page->list();
    list->setFocus();
    const auto *delegate = qobject_cast<const JournalDelegate *>(list->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const QString pictures = qEnvironmentVariable("FILEWRIGHT_TEST_PICTURES");
    for (const Appearance::Mode mode : {Appearance::Mode::light, Appearance::Mode::dark}) {
        Appearance::apply(mode);
        for (const Theme &theme : Theme::all()) {
            ThemeStore::instance().setThemeID(theme.id);
            const auto look = [&](bool selected) {
                if (selected)
                    list->selectRow(page->journal().rowOf(check.id));
                else
                    list->clearSelection();
                QCoreApplication::processEvents();
                const QModelIndex index = page->journal().index(page->journal().rowOf(check.id));
                const QRect rect = list->visualRect(index);
                const QImage image = list->viewport()->grab().toImage();
                const qreal ratio = image.devicePixelRatio();
                const auto scaled = [ratio](const QRect &area) {
                    return QRect(area.topLeft() * ratio, area.size() * ratio);
                };
                const QRect chip = scaled(delegate->chipRect(*shown(check.id), rect, list->font()));
                const QRect button = scaled(delegate->actionRect(*shown(check.id), rect, list->font()));
                const QColor row = image.pixelColor(QPoint(rect.left() + 8, rect.center().y()) * ratio);
                const QColor fill = commonest(image, button.adjusted(2, 2, -2, -2));
                if (selected && !pictures.isEmpty()) {
                    image.copy(scaled(rect)).save(QDir(pictures).filePath(
                        QStringLiteral("journal-selected-review-%1-%2.png")
                            .arg(mode == Appearance::Mode::dark ? QStringLiteral("dark") : QStringLiteral("light"), theme.id)));
                }
                return Look{strongest(image, chip, row), contrast(fill, row), strongest(image, button.adjusted(4, 4, -4, -4), fill)};
            };
            const Look plain = look(false);
            const Look selected = look(true);
            const std::string where = theme.id.toStdString() + (mode == Appearance::Mode::dark ? " dark" : " light");
            // The selection may cost a little contrast, never the chip or the button.
            EXPECT_GE(selected.chip, std::min(3.0, plain.chip)) << where;
            EXPECT_GE(selected.chip, plain.chip * 2 / 3) << where << " " << selected.chip << " " << plain.chip;
            EXPECT_GE(selected.fill, plain.fill * 2 / 3) << where << " " << selected.fill << " " << plain.fill;
            EXPECT_GE(selected.label, plain.label * 0.95) << where;
        }
    }
    ThemeStore::instance().setThemeID(QStringLiteral("system"));
    Appearance::apply(Appearance::Mode::light);
}

TEST_F(JournalPageTest, TheListFollowsTheStoreInItsOrderThroughManyChanges)
{
    const ScopedEnv tz("TZ", "Europe/Berlin");
    ::tzset();
    // The rows as a list shows them: day rows by their day, entry rows by
    // their id; every entry row is found again by its id.
    const auto rows = [](const JournalModel &journal) {
        QStringList shown;
        for (int row = 0; row < journal.rowCount(); ++row) {
            const std::optional<QDate> day = journal.day(row);
            shown.append(day ? day->toString(Qt::ISODate) : QString::number(journal.entry(row)->id));
            if (!day) {
                EXPECT_EQ(journal.rowOf(journal.entry(row)->id), row);
            }
        }
        return shown;
    };
    // The journal read afresh from the store, all of it.
    const auto stored = [&](AppModel::JournalFilter filter) {
        JournalModel fresh(store());
        fresh.setFilter(filter);
        while (fresh.canFetchMore({}))
            fresh.fetchMore({});
        return rows(fresh);
    };

    // More entries than one page, so that the list has read only the newest.
    const QDateTime base(QDate(2026, 3, 1), QTime(22, 30), Qt::UTC);
    const QString file = home + QStringLiteral("/Inbox/a.pdf");
    QList<JournalEntry> entries;
    for (int i = 0; i < JournalModel::pageSize + 20; ++i) {
        JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), file, file, Status::done);
        entry.date = base.addSecs(-3600 * i);
        ASSERT_TRUE(store().insert(entry));
        entries.append(entry);
    }
    JournalModel all(store());
    all.setFilter(AppModel::JournalFilter::all);
    JournalModel waiting(store());
    waiting.setFilter(AppModel::JournalFilter::review);
    ASSERT_TRUE(all.canFetchMore({}));

    // New entries, some at the same moment as others and some older than
    // every row read; dates moved across midnight; entries set to wait for
    // review and back; entries removed, the last of their day among them.
    std::mt19937 random(7);
    for (int step = 0; step < 300; ++step) {
        const int choice = int(random() % 4);
        const QDateTime when = base.addSecs(60 * (int(random() % 300) - 150) - (random() % 8 == 0 ? 86400 * 6 : 0));
        if (choice == 0 || entries.size() < 5) {
            JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), file, file, Status::done);
            entry.date = random() % 3 == 0 ? entries.at(int(random() % entries.size())).date : when;
            ASSERT_TRUE(store().insert(entry));
            entries.append(entry);
        } else if (choice == 1) {
            JournalEntry &entry = entries[int(random() % entries.size())];
            entry.date = when;
            ASSERT_TRUE(store().update(entry));
        } else if (choice == 2) {
            JournalEntry &entry = entries[int(random() % entries.size())];
            entry.statusRaw = JournalEntry::statusRawValue(entry.status() == Status::review ? Status::done : Status::review);
            ASSERT_TRUE(store().update(entry));
        } else {
            ASSERT_TRUE(store().remove(entries.takeAt(int(random() % entries.size()))));
        }
        ASSERT_EQ(rows(waiting), stored(AppModel::JournalFilter::review)) << "step " << step;
        // The rows read so far are the newest of the journal, in its order.
        const QStringList shown = rows(all);
        const QStringList expected = stored(AppModel::JournalFilter::all);
        ASSERT_EQ(shown, expected.mid(0, shown.size())) << "step " << step;
    }
    while (all.canFetchMore({}))
        all.fetchMore({});
    EXPECT_EQ(rows(all), stored(AppModel::JournalFilter::all));
    EXPECT_EQ(all.entryCount(), entries.size());
    EXPECT_EQ(all.rowOf(entries.constLast().id + 1000), -1);
    ::tzset();
}
