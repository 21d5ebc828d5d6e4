// The main window's pages walked by keyboard, with real key presses: Tab and
// Shift+Tab go round the tool bar, the sidebar and the page in the order
// they stand on screen, and every control that acts is among the stops.
#include "AppModel.h"
#include "Autopilot.h"
#include "FilewrightApp.h"
#include "FocusWalk.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "ReceiptsModel.h"
#include "ReceiptsPage.h"
#include "Store.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
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

    QTemporaryDir dir;
    std::unique_ptr<FilewrightApp> app;
};

// Where the focus is after pressing key (with modifiers) where it is now.
QWidget *press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
}

class PagesWalkTest : public KeyboardWalkTest
{
protected:
    void addJournal()
    {
        for (const auto status : {JournalEntry::Status::done, JournalEntry::Status::review}) {
            JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), dir.filePath(QStringLiteral("a.pdf")),
                               dir.filePath(QStringLiteral("b.pdf")), status);
            ASSERT_TRUE(model().store().insert(entry));
        }
    }

    // A receipt of that day from sender, its file in the test's folder.
    RecognitionRecord addReceipt(const QDate &day, const QString &sender)
    {
        Recognition reading;
        reading.kind = DocumentKind::receipt;
        reading.date = CalendarUtc::noon(day);
        reading.sender = sender;
        reading.amount = Decimal::fromString(u"10");
        reading.currency = QStringLiteral("EUR");
        const QString path = dir.filePath(sender + QStringLiteral(".pdf"));
        EXPECT_TRUE(TestSupport::writeFile(path, sender.toUtf8()));
        RecognitionRecord record(QString(), QString(), path, reading);
        EXPECT_TRUE(model().store().insert(record));
        return record;
    }

    ReceiptsPage *showReceipts()
    {
        // Today's month has no receipts: the page picks the month itself.
        model().autopilot().setClock([] { return QDateTime(QDate(2026, 3, 15), QTime(9, 0), Qt::UTC); });
        model().setSidebar(SidebarItem::receipts);
        QCoreApplication::processEvents();
        return qobject_cast<ReceiptsPage *>(window().currentPage());
    }

    QWidget *toolButton(const char *action) const
    {
        return window().toolBar()->widgetForAction(window().currentPage()->findChild<QAction *>(QLatin1String(action)));
    }

    QAbstractButton *segment(const QString &text) const
    {
        for (QAbstractButton *button : window().findChild<QWidget *>(QStringLiteral("journalFilter"))->findChildren<QAbstractButton *>()) {
            if (button->text() == text)
                return button;
        }
        return nullptr;
    }
};

} // namespace

TEST_F(PagesWalkTest, JournalPageInBothFilterStates)
{
    addJournal();
    model().setSidebar(SidebarItem::journal);
    auto *page = qobject_cast<JournalPage *>(window().currentPage());
    ASSERT_NE(page, nullptr);
    for (const auto &[filter, step, checked] : {std::tuple{AppModel::JournalFilter::all, "journal, All", "All"},
                                                std::tuple{AppModel::JournalFilter::review, "journal, Please Check",
                                                           "Please Check"}}) {
        model().setJournalFilter(filter);
        const QList<QWidget *> screen = FocusWalk::onScreen(&window(), regions());
        // The picker is one stop, on its checked segment, before the list.
        EXPECT_EQ(screen, (QList<QWidget *>{segment(QString::fromLatin1(checked)),
                                            window().findChild<QWidget *>(QStringLiteral("sidebar")), page->list()}))
            << step << ": " << FocusWalk::names(screen);
        FocusWalk::expectScreenOrder(&window(), regions(), step);
    }
}

TEST_F(PagesWalkTest, ReceiptsPageWithAMonthOfReceipts)
{
    addReceipt(QDate(2026, 2, 3), QStringLiteral("Shop"));
    ReceiptsPage *page = showReceipts();
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->month(), (ReceiptsPage::Month{2026, 2}));
    const QList<QWidget *> screen = FocusWalk::onScreen(&window(), regions());
    for (const char *name : {"previousMonth", "nextMonth", "exportMonth"})
        EXPECT_TRUE(screen.contains(toolButton(name))) << name << ": " << FocusWalk::names(screen);
    EXPECT_TRUE(screen.contains(page->findChild<QTableView *>(QStringLiteral("receipts"))));
    FocusWalk::expectScreenOrder(&window(), regions(), "receipts");
}

TEST_F(PagesWalkTest, AfterShowItemsToCheckTheKeysSwitchBackToAll)
{
    addJournal();
    model().setSidebar(SidebarItem::journal);
    auto *page = qobject_cast<JournalPage *>(window().currentPage());
    ASSERT_NE(page, nullptr);
    page->list()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(page->list(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(model().journalFilter(), AppModel::JournalFilter::review);
    ASSERT_EQ(QApplication::focusWidget(), page->list());

    // Back over the sidebar to the picker, and forward round the window to it.
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ShiftModifier), window().findChild<QWidget *>(QStringLiteral("sidebar")));
    EXPECT_EQ(press(Qt::Key_Tab, Qt::ShiftModifier), segment(QStringLiteral("Please Check")));
    EXPECT_EQ(press(Qt::Key_Tab), window().findChild<QWidget *>(QStringLiteral("sidebar")));
    EXPECT_EQ(press(Qt::Key_Tab), page->list());
    EXPECT_EQ(press(Qt::Key_Tab), segment(QStringLiteral("Please Check")));

    EXPECT_EQ(press(Qt::Key_Left), segment(QStringLiteral("All")));
    EXPECT_EQ(model().journalFilter(), AppModel::JournalFilter::all);
    EXPECT_TRUE(segment(QStringLiteral("All"))->isChecked());
    EXPECT_EQ(press(Qt::Key_Right), segment(QStringLiteral("Please Check")));
    EXPECT_EQ(model().journalFilter(), AppModel::JournalFilter::review);
    press(Qt::Key_Left);
    EXPECT_EQ(model().journalFilter(), AppModel::JournalFilter::all);
}

TEST_F(PagesWalkTest, ExportMonthReachedByTabAndPressedWithSpace)
{
    addReceipt(QDate(2026, 2, 3), QStringLiteral("Shop"));
    ReceiptsPage *page = showReceipts();
    ASSERT_NE(page, nullptr);
    QStringList asked;
    page->setSavePanel([&](const QString &proposed) {
        asked.append(proposed);
        return dir.filePath(QStringLiteral("February.zip"));
    });
    page->setReveal([](const QStringList &, const auto &) {});
    auto *table = page->findChild<QTableView *>(QStringLiteral("receipts"));
    table->setFocus(Qt::TabFocusReason);
    // From the table, round the window: the tool bar comes first.
    QWidget *reached = nullptr;
    for (int presses = 0; presses < 4 && reached != toolButton("exportMonth"); ++presses)
        reached = press(Qt::Key_Tab);
    ASSERT_EQ(reached, toolButton("exportMonth"));
    QSignalSpy finished(page, &ReceiptsPage::exportFinished);
    QTest::keyClick(reached, Qt::Key_Space);
    ASSERT_EQ(asked.size(), 1);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("February.zip"))));
}

TEST_F(PagesWalkTest, TabInAnOpenCellLeavesTheTableAndKeepsTheText)
{
    addReceipt(QDate(2026, 2, 3), QStringLiteral("Shop"));
    ReceiptsPage *page = showReceipts();
    ASSERT_NE(page, nullptr);
    auto *table = page->findChild<QTableView *>(QStringLiteral("receipts"));
    const QModelIndex sender = page->tableModel()->index(0, ReceiptsModel::sender);
    for (const auto &[modifiers, next] :
         {std::pair{Qt::KeyboardModifiers(Qt::NoModifier), toolButton("previousMonth")},
          std::pair{Qt::KeyboardModifiers(Qt::ShiftModifier), window().findChild<QWidget *>(QStringLiteral("sidebar"))}}) {
        table->setFocus(Qt::TabFocusReason);
        table->setCurrentIndex(sender);
        press(Qt::Key_F2);
        auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(field, nullptr);
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("Typed"));
        EXPECT_EQ(press(Qt::Key_Tab, modifiers), next);
        QCoreApplication::processEvents();
        EXPECT_EQ(table->indexWidget(sender), nullptr);
        EXPECT_EQ(sender.data().toString(), QStringLiteral("Typed"));
        EXPECT_EQ(model().store().recognitionRecords().at(0).recognition().sender, QStringLiteral("Shop"));
        EXPECT_FALSE(model().store().recognitionRecords().at(0).edited);
    }
}

// While the page shows the month it picked itself, a refresh that ends on
// the same month keeps what was typed, the selection and an open field.
TEST_F(PagesWalkTest, TypedTextSurvivesChangesOfOtherReceiptsInTheAutomaticMonth)
{
    addReceipt(QDate(2026, 2, 3), QStringLiteral("First"));
    addReceipt(QDate(2026, 2, 9), QStringLiteral("Second"));
    ReceiptsPage *page = showReceipts();
    ASSERT_NE(page, nullptr);
    ReceiptsModel *rows = page->tableModel();
    auto *table = page->findChild<QTableView *>(QStringLiteral("receipts"));
    const auto edit = [&](int row, int column, const QString &text, Qt::Key leave) {
        table->setFocus(Qt::TabFocusReason);
        table->setCurrentIndex(rows->index(row, column));
        press(Qt::Key_F2);
        auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(field, nullptr);
        field->selectAll();
        QTest::keyClicks(field, text);
        if (leave != Qt::Key_unknown)
            press(leave);
        // The commit, then the page's refresh that it asks for.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    };
    const auto shown = [&](const QString &file, int column) {
        for (int row = 0; row < rows->rowCount(); ++row) {
            if (rows->records().at(row).path.endsWith(file))
                return rows->index(row, column).data().toString();
        }
        return QString();
    };
    const auto selected = [&] {
        QStringList senders;
        for (const QModelIndex &row : table->selectionModel()->selectedRows(ReceiptsModel::file))
            senders.append(row.data().toString());
        return senders;
    };

    edit(0, ReceiptsModel::sender, QStringLiteral("Typed"), Qt::Key_Tab);
    edit(1, ReceiptsModel::amount, QStringLiteral("7"), Qt::Key_Return);
    EXPECT_EQ(rows->reading(1).amount, Decimal::fromString(u"7"));
    EXPECT_EQ(shown(QStringLiteral("First.pdf"), ReceiptsModel::sender), QStringLiteral("Typed"));
    EXPECT_EQ(selected(), QStringList{QStringLiteral("Second.pdf")});

    // A receipt filed in the background into the month shown, and another
    // into an earlier month, while a field is open on the second row.
    edit(1, ReceiptsModel::sender, QStringLiteral("Half"), Qt::Key_unknown);
    addReceipt(QDate(2026, 2, 1), QStringLiteral("Background"));
    addReceipt(QDate(2026, 1, 20), QStringLiteral("January"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 2}));
    ASSERT_EQ(rows->rowCount(), 3);
    EXPECT_EQ(shown(QStringLiteral("First.pdf"), ReceiptsModel::sender), QStringLiteral("Typed"));
    EXPECT_EQ(selected(), QStringList{QStringLiteral("Second.pdf")});
    auto *field = qobject_cast<QLineEdit *>(table->indexWidget(rows->index(2, ReceiptsModel::sender)));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("Half"));
    EXPECT_EQ(QApplication::focusWidget(), field);

    // A receipt of today's month moves the page there: the typed text goes.
    press(Qt::Key_Escape);
    addReceipt(QDate(2026, 3, 1), QStringLiteral("March"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 3}));
    page->shift(-1);
    EXPECT_EQ(shown(QStringLiteral("First.pdf"), ReceiptsModel::sender), QStringLiteral("First"));
}
