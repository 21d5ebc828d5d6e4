// The main window's pages walked by keyboard, with real key presses: Tab and
// Shift+Tab go round the tool bar, the sidebar and the page in the order
// they stand on screen, and every control that acts is among the stops.
#include "AppModel.h"
#include "Autopilot.h"
#include "FilewrightApp.h"
#include "FocusWalk.h"
#include "MainWindow.h"
#include "ReceiptsModel.h"
#include "ReceiptsPage.h"
#include "Store.h"
#include "TestSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

// The application's main window over a store of its own, menus included.
class KeyboardWalkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        app = std::make_unique<FilewrightApp>(Store::open(dir.filePath(QStringLiteral("walk.store"))));
        app->showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    }

    MainWindow &window() const { return app->mainWindow(); }
    AppModel &model() const { return app->model(); }
    // The window's regions in their order: tool bar, sidebar, page.
    QList<QWidget *> regions() const
    {
        return {window().toolBar(), window().findChild<QWidget *>(QStringLiteral("sidebar")), window().currentPage()};
    }
    void show(SidebarItem page)
    {
        model().setSidebar(page);
        QCoreApplication::processEvents(); // the tool bar shows its new items
    }

    QTemporaryDir dir;
    std::unique_ptr<FilewrightApp> app;
};

// The names of the widgets that have the focus after each key press.
std::string press(const QList<std::pair<Qt::Key, Qt::KeyboardModifiers>> &keys)
{
    QList<QWidget *> reached;
    for (const auto &[key, modifiers] : keys) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        reached.append(QApplication::focusWidget());
    }
    return FocusWalk::names(reached);
}

constexpr Qt::KeyboardModifiers none = Qt::NoModifier;
constexpr Qt::KeyboardModifiers shift = Qt::ShiftModifier;

// The journal with an entry waiting, and February's receipts while March,
// the month of the clock, has none: the page picks February itself.
class PagesWalkTest : public KeyboardWalkTest
{
protected:
    void SetUp() override
    {
        KeyboardWalkTest::SetUp();
        for (const auto status : {JournalEntry::Status::done, JournalEntry::Status::review}) {
            JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), dir.filePath(QStringLiteral("a.pdf")),
                               dir.filePath(QStringLiteral("b.pdf")), status);
            ASSERT_TRUE(model().store().insert(entry));
        }
        Recognition reading;
        reading.kind = DocumentKind::receipt;
        reading.date = CalendarUtc::noon(QDate(2026, 2, 3));
        reading.sender = QStringLiteral("Shop");
        RecognitionRecord record(QString(), QString(), dir.filePath(QStringLiteral("shop.pdf")), reading);
        ASSERT_TRUE(TestSupport::writeFile(record.path, "receipt"));
        ASSERT_TRUE(model().store().insert(record));
        model().autopilot().setClock([] { return QDateTime(QDate(2026, 3, 15), QTime(9, 0), Qt::UTC); });
    }
};

} // namespace

TEST_F(PagesWalkTest, TheJournalInBothFilterStatesAndTheReceiptsOfAMonth)
{
    struct Case
    {
        SidebarItem page;
        AppModel::JournalFilter filter;
        const char *step;
        std::string stops; // the picker is one stop, on its checked segment
    };
    const Case cases[] = {
        {SidebarItem::journal, AppModel::JournalFilter::all, "journal, All", "all sidebar journalList"},
        {SidebarItem::journal, AppModel::JournalFilter::review, "journal, Please Check", "review sidebar journalList"},
        {SidebarItem::receipts, AppModel::JournalFilter::all, "receipts",
         "previousMonth nextMonth exportMonth sidebar receipts"},
    };
    for (const Case &c : cases) {
        model().setJournalFilter(c.filter);
        show(c.page);
        EXPECT_EQ(FocusWalk::names(FocusWalk::onScreen(&window(), regions())), c.stops) << c.step;
        FocusWalk::expectScreenOrder(&window(), regions(), c.step);
    }
}

TEST_F(PagesWalkTest, AfterShowItemsToCheckTheKeysGoBackToAll)
{
    show(SidebarItem::journal);
    window().currentPage()->findChild<QWidget *>(QStringLiteral("journalList"))->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(press({{Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier}}), "journalList");
    ASSERT_EQ(model().journalFilter(), AppModel::JournalFilter::review);
    // Back over the sidebar to the picker, and forward round the window to it.
    EXPECT_EQ(press({{Qt::Key_Tab, shift}, {Qt::Key_Tab, shift}, {Qt::Key_Tab, none}, {Qt::Key_Tab, none},
                     {Qt::Key_Tab, none}}),
              "sidebar review sidebar journalList review");
    EXPECT_EQ(press({{Qt::Key_Left, none}}), "all");
    EXPECT_EQ(model().journalFilter(), AppModel::JournalFilter::all);
    EXPECT_EQ(press({{Qt::Key_Right, none}}), "review");
    EXPECT_EQ(model().journalFilter(), AppModel::JournalFilter::review);
}

TEST_F(PagesWalkTest, TabLeavesAnOpenCellUnwrittenAndSpaceExportsTheMonth)
{
    show(SidebarItem::receipts);
    auto *page = qobject_cast<ReceiptsPage *>(window().currentPage());
    ASSERT_NE(page, nullptr);
    auto *table = page->findChild<QTableView *>(QStringLiteral("receipts"));
    const QModelIndex sender = page->tableModel()->index(0, ReceiptsModel::sender);
    for (const auto &[modifiers, next] : {std::pair{none, "previousMonth"}, std::pair{shift, "sidebar"}}) {
        table->setFocus(Qt::TabFocusReason);
        table->setCurrentIndex(sender);
        EXPECT_EQ(press({{Qt::Key_F2, none}, {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_X, none}}),
                  "QLineEdit QLineEdit QLineEdit");
        EXPECT_EQ(press({{Qt::Key_Tab, modifiers}}), next);
        EXPECT_EQ(table->indexWidget(sender), nullptr);
        EXPECT_EQ(sender.data().toString(), QStringLiteral("x"));
        EXPECT_EQ(model().store().recognitionRecords().at(0).recognition().sender, QStringLiteral("Shop"));
    }

    const QString archive = dir.filePath(QStringLiteral("February.zip"));
    page->setSavePanel([&](const QString &) { return archive; });
    page->setReveal([](const QStringList &, const auto &) {});
    QSignalSpy finished(page, &ReceiptsPage::exportFinished);
    table->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(press({{Qt::Key_Tab, none}, {Qt::Key_Tab, none}, {Qt::Key_Tab, none}, {Qt::Key_Space, none}}),
              "previousMonth nextMonth exportMonth sidebar");
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(QFileInfo::exists(archive));
    EXPECT_EQ(FocusWalk::names({QApplication::focusWidget()}), "exportMonth"); // back where it was
}
