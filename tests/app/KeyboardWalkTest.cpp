// The main window's pages driven by keyboard, with real key presses: Tab and
// Shift+Tab walk every control that acts in the order it stands on screen
// (tool bar, sidebar, page), the page keeps the focus when it rebuilds
// itself, the control that takes the focus is in view, and every context
// menu opens with the keys at its item.
#include "ActionRow.h"
#include "AppModel.h"
#include "Appearance.h"
#include "Autopilot.h"
#include "CommandPalette.h"
#include "ConditionRow.h"
#include "DescribeRuleField.h"
#include "FakeModelServer.h"
#include "FilewrightApp.h"
#include "DesktopLook.h"
#include "FocusRing.h"
#include "FocusWalk.h"
#include "FolderRow.h"
#include "JournalModel.h"
#include "JournalPage.h"
#include "Labels.h"
#include "MainWindow.h"
#include "Prefs.h"
#include "RealHome.h"
#include "ReceiptExport.h"
#include "ReceiptsModel.h"
#include "ReceiptsPage.h"
#include "RuleCard.h"
#include "RuleEditor.h"
#include "RuleEditorFixture.h"
#include "RuleRow.h"
#include "RulesPage.h"
#include "ScopedEnv.h"
#include "Sidebar.h"
#include "StandardFolders.h"
#include "Store.h"
#include "TestSupport.h"
#include "ToggleSwitch.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFocusFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

class KeyboardWalkTest : public RuleEditorFixture
{
protected:
    void TearDown() override
    {
        window.reset();
        RuleEditorFixture::TearDown();
    }

    void show(SidebarItem item)
    {
        window = std::make_unique<MainWindow>(*model);
        window->show();
        // Keys go to the focus of the active window: a window shown but not yet
        // active (on a busy machine, a while after it is exposed) has none.
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        model->setSidebar(item);
        QCoreApplication::processEvents();
    }

    // Offscreen, no window is active once a sheet or a menu has closed: the
    // window takes the activation back, as a window system gives it.
    static bool activate(QWidget *shown)
    {
        shown->activateWindow();
        return QTest::qWaitForWindowActive(shown);
    }

    // Walks the window and checks that every control that acts in rows (each
    // button, switch and check box; a row without any is one itself) is a stop.
    void expectWalk(const QList<QWidget *> &rows, const char *step)
    {
        const QList<QWidget *> regions{window->toolBar(), window->findChild<Sidebar *>(), window->currentPage()};
        const QList<QWidget *> screen = FocusWalk::onScreen(window.get(), regions);
        for (QWidget *row : rows) {
            QList<QWidget *> controls;
            for (QAbstractButton *button : row->findChildren<QAbstractButton *>()) {
                if (button->isVisible() && button->isEnabled())
                    controls.append(button);
            }
            for (QWidget *control : controls.isEmpty() ? QList<QWidget *>{row} : controls)
                EXPECT_TRUE(screen.contains(control)) << step << ": not reached: " << FocusWalk::names({control});
        }
        FocusWalk::expectScreenOrder(window.get(), regions, step);
    }

    std::unique_ptr<MainWindow> window;
};

FolderRow *folderRow(QWidget *page, const QString &name)
{
    for (FolderRow *row : page->findChildren<FolderRow *>()) {
        if (row->findChild<QLabel *>(QStringLiteral("name"))->text() == name)
            return row;
    }
    return nullptr;
}

// A context menu as it opened: its entries (a divider as ""), where it
// stood, and the widget it belongs to.
struct OpenedMenu
{
    QStringList entries;
    QRect geometry;
    QObject *owner = nullptr;
};

// Keeps each context menu that opens, then closes it, or goes down to its
// entry `choose` with the arrow keys and presses Return. A menu that waits
// for its choice is taken while it waits; one that opens and returns at
// once is taken by take().
struct MenuWatch
{
    explicit MenuWatch(const QString &choose = {})
        : choose(choose)
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { take(); });
        timer.start(10);
    }

    void take()
    {
        while (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            OpenedMenu shown{{}, menu->geometry(), menu->parent()};
            for (const QAction *action : menu->actions())
                shown.entries.append(action->text());
            opened.append(shown);
            if (choose.isEmpty()) {
                menu->close();
                continue;
            }
            for (qsizetype step = 0; step < shown.entries.size(); ++step) {
                if (menu->activeAction() && menu->activeAction()->text() == choose)
                    break;
                QTest::keyClick(menu, Qt::Key_Down);
            }
            QTest::keyClick(menu, Qt::Key_Return);
            if (QApplication::activePopupWidget() == menu)
                menu->close(); // no such entry
        }
    }

    const QString choose;
    QTimer timer;
    QList<OpenedMenu> opened;
};

// The part of widget that shows: its rectangle clipped by the widgets around it, on the screen.
QRect shownOnScreen(const QWidget *widget)
{
    QRect shown(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    for (const QWidget *outer = widget->parentWidget(); outer; outer = outer->parentWidget()) {
        shown &= QRect(outer->mapToGlobal(QPoint(0, 0)), outer->size());
        if (outer->isWindow())
            break;
    }
    return shown;
}

// The part of a view's row that shows, on the screen.
QRect shownRow(const QAbstractItemView *view, int row)
{
    QRect rect;
    for (int column = 0; column < view->model()->columnCount(); ++column)
        rect |= view->visualRect(view->model()->index(row, column));
    return QRect(view->viewport()->mapToGlobal(rect.topLeft()), rect.size()) & shownOnScreen(view->viewport());
}

} // namespace

TEST_F(KeyboardWalkTest, FoldersPageWalksItsRowsInScreenOrderAndKeysWorkOnThem)
{
    folder(QStringLiteral("Downloads"));
    const WatchedFolder place = folder(QStringLiteral("Archive"), false);
    WatchedFolder desktop = folder(QStringLiteral("Desktop"));
    folder(QStringLiteral("Invoices"), false);
    WatchedFolder lost = folder(QStringLiteral("Scans"));
    desktop.isEnabled = false;
    lost.needsReselect = true;
    for (const WatchedFolder &changed : {desktop, lost})
        ASSERT_TRUE(model->store().update(changed));
    show(SidebarItem::folders);
    QWidget *page = window->currentPage();
    const QList<FolderRow *> rows = page->findChildren<FolderRow *>();
    ASSERT_EQ(rows.size(), 5);
    expectWalk({rows.cbegin(), rows.cend()}, "folders");

    // Space twice on a switch switches twice: the rebuilt row's same control keeps the focus.
    for (const char *control : {"watch", "subfolders"}) {
        folderRow(page, QStringLiteral("Desktop"))->findChild<QWidget *>(QLatin1String(control))->setFocus(Qt::TabFocusReason);
        for (const bool expected : {true, false}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            const WatchedFolder stored = *model->store().folder(desktop.uuid);
            EXPECT_EQ(std::string_view(control) == "watch" ? stored.isEnabled : stored.includeSubfolders, expected) << control;
            EXPECT_EQ(QApplication::focusWidget(), folderRow(page, QStringLiteral("Desktop"))->findChild<QWidget *>(QLatin1String(control)));
        }
    }

    // "Remove" by keyboard: the place goes, its folder stays, and the focus
    // moves to the place that now stands in its row.
    folderRow(page, QStringLiteral("Archive"))->setFocus(Qt::TabFocusReason);
    {
        MenuWatch menus(QStringLiteral("Remove"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
        ASSERT_EQ(menus.opened.size(), 1);
    }
    ASSERT_TRUE(activate(window.get()));
    EXPECT_FALSE(model->store().folder(place.uuid));
    EXPECT_TRUE(QFileInfo(place.displayPath).isDir());
    EXPECT_EQ(QApplication::focusWidget(), folderRow(page, QStringLiteral("Invoices")));
    expectWalk({}, "a place removed");
}

TEST_F(KeyboardWalkTest, RulesPageTabFollowsTheCardsAfterMovesAdditionsAndRemovals)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    const auto store = [&](const QString &name, qint64 order, QList<RuleAction> actions = {}) {
        StoredRule stored(rule(name, {}, std::move(actions)), downloads.uuid, order);
        model->store().insert(stored);
    };
    store(QStringLiteral("Invoices"), 0);
    store(QStringLiteral("Screenshots"), 1);
    store(QStringLiteral("Installers"), 2);
    // A rule that writes where it may not: its card's "Allow…" is a stop too.
    store(QStringLiteral("Archive"), 3, {action(Kind::move, QStringLiteral("~/Nowhere"))});
    useModel(); // the describe field shows, above the cards
    show(SidebarItem::rules);
    auto *page = qobject_cast<RulesPage *>(window->currentPage());
    ASSERT_TRUE(page->describeField()->isVisible());

    const auto walk = [&](const char *step, qsizetype cards, const char *at = nullptr, int index = 0) {
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return page->cards().size() == cards && (!at || page->cards().at(index)->stored().rule().name == at);
        })) << step;
        expectWalk({page->cards().cbegin(), page->cards().cend()}, step);
    };
    const auto menuItem = [&](int card, const QString &item) {
        std::unique_ptr<QMenu> menu(page->cards().at(card)->makeMenu(nullptr));
        const QList<QAction *> actions = menu->actions();
        (*std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text() == item; }))->trigger();
    };

    walk("as opened", 4);
    menuItem(2, QStringLiteral("Move Up"));
    walk("after Move Up", 4, "Installers", 1);
    menuItem(3, QStringLiteral("Move Up"));
    walk("the card with Allow… moved up", 4, "Archive", 2);
    store(QStringLiteral("Receipts"), -1);
    walk("after an addition", 5, "Receipts", 0);
    menuItem(2, QStringLiteral("Delete Rule"));
    walk("after a removal", 4);
}

// Every context menu of the program, with the Menu key and with Shift+F10
// on its item or on a control in it: the item's own menu opens, once, at the
// item inside the window, also when the window system follows the Menu key
// with an event of its own. A text field keeps the keys for its edit menu.
// Then a rule is moved and deleted by keys alone.
TEST_F(KeyboardWalkTest, EveryContextMenuOpensWithBothKeysAtItsItem)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Archive"), false);
    WatchedFolder lost = folder(QStringLiteral("Scans"));
    lost.needsReselect = true;
    ASSERT_TRUE(model->store().update(lost));
    const auto store = [&](const QString &name, qint64 order, QList<RuleAction> actions) {
        StoredRule stored(rule(name, {condition(Field::name, Op::contains, name)}, std::move(actions)), downloads.uuid,
                          order);
        EXPECT_TRUE(model->store().insert(stored));
        return stored;
    };
    const StoredRule invoices =
        store(QStringLiteral("Invoices"), 0, {action(Kind::move, QStringLiteral("~/Documents"))});
    const StoredRule screenshots = store(QStringLiteral("Screenshots"), 1, {});
    // A rule that writes where it may not: its card shows "Allow…".
    store(QStringLiteral("Archive"), 2, {action(Kind::move, QStringLiteral("~/Nowhere"))});
    // A filing the journal can take back, of a receipt.
    const QString original = downloads.displayPath + QStringLiteral("/shop.pdf");
    const QString filed = RealHome::path() + QStringLiteral("/Sorted/shop.pdf");
    ASSERT_TRUE(TestSupport::writeFile(filed, "receipt"));
    JournalEntry filing(std::nullopt, QStringLiteral("Invoices"), original, filed, JournalEntry::Status::done);
    ASSERT_TRUE(model->store().insert(filing));
    filing.setPerformed(Performed{original, filed, {}, {}, std::nullopt});
    ASSERT_TRUE(model->store().update(filing));
    Recognition reading;
    reading.kind = DocumentKind::receipt;
    reading.date = CalendarUtc::noon(QDate(2026, 2, 3));
    RecognitionRecord receipt(QString(), QString(), filed, reading);
    ASSERT_TRUE(model->store().insert(receipt));
    show(SidebarItem::folders);

    const auto page = [&](SidebarItem item) {
        if (model->sidebar() != item)
            show(item);
        return window->currentPage();
    };
    const auto card = [&](const char *name) -> RuleCard * {
        for (RuleCard *each : qobject_cast<RulesPage *>(page(SidebarItem::rules))->cards()) {
            if (each->stored().rule().name == QLatin1String(name))
                return each;
        }
        return nullptr;
    };
    const auto editor = [&] {
        page(SidebarItem::rules);
        if (!window->ruleEditor()) {
            model->edit(invoices);
            EXPECT_TRUE(QTest::qWaitForWindowActive(window->ruleEditor()));
        }
        return qobject_cast<RuleEditor *>(window->ruleEditor());
    };
    const auto journal = [&] {
        auto *shown = qobject_cast<JournalPage *>(page(SidebarItem::journal));
        shown->list()->selectRow(shown->journal().rowOf(filing.id));
        return shown;
    };
    const auto receipts = [&] {
        auto *table = page(SidebarItem::receipts)->findChild<QTableView *>(QStringLiteral("receipts"));
        table->setCurrentIndex(table->model()->index(0, ReceiptsModel::amount));
        return table;
    };
    const auto control = [](QWidget *in, const char *name) { return in->findChild<QWidget *>(QLatin1String(name)); };
    const auto folderRowOf = [&](const char *name) -> QWidget * {
        return folderRow(page(SidebarItem::folders), QLatin1String(name));
    };
    const auto conditionRow = [&]() -> QWidget * { return editor()->conditionRows().constFirst(); };
    const auto actionRow = [&]() -> QWidget * { return editor()->actionRows().constFirst(); };

    const QStringList folderMenu{QStringLiteral("Show in File Manager"), QStringLiteral("Remove")};
    const QStringList cardMenu{QStringLiteral("Edit…"),   QStringLiteral("Dry Run…"),  QString(),
                               QStringLiteral("Move Up"), QStringLiteral("Move Down"), QString(),
                               QStringLiteral("Delete Rule")};
    const QStringList rowMenu{QStringLiteral("Move Up"), QStringLiteral("Move Down"), QString(),
                              QStringLiteral("Remove")};
    struct Case
    {
        const char *item;
        std::function<QWidget *()> target; // where the keys are pressed; it takes the focus if it can
        std::function<QWidget *()> owner;  // whose menu opens
        QStringList entries;               // empty: not checked
        bool menuKeyOnly = false;
        std::function<QRect()> shown = {}; // where the menu stands, if not anywhere on the owner as it shows
    };
    const Case cases[] = {
        {"a place's row", [&] { return folderRowOf("Archive"); }, [&] { return folderRowOf("Archive"); }, folderMenu},
        {"a watched folder's switch", [&] { return control(folderRowOf("Downloads"), "watch"); },
         [&] { return folderRowOf("Downloads"); }, folderMenu},
        {"a lost folder's Choose Again…", [&] { return control(folderRowOf("Scans"), "chooseAgain"); },
         [&] { return folderRowOf("Scans"); }, folderMenu},
        {"a journal row", [&] { return journal()->list(); }, journal,
         {QStringLiteral("Undo"), QStringLiteral("Show in File Manager")}, false,
         [&] { return shownRow(journal()->list(), journal()->journal().rowOf(filing.id)); }},
        {"a receipts row", receipts, receipts, {QStringLiteral("Show in File Manager")}, false,
         [&] { return shownRow(receipts(), 0); }},
        {"a card's switch", [&] { return card("Invoices")->enabledSwitch(); }, [&] { return card("Invoices"); },
         cardMenu},
        {"a card's Allow…", [&] { return control(card("Archive"), "allow"); }, [&] { return card("Archive"); },
         cardMenu},
        {"a card's Dry Run…", [&] { return card("Screenshots")->dryRunButton(); }, [&] { return card("Screenshots"); },
         cardMenu},
        {"a card", [&] { return card("Screenshots"); }, [&] { return card("Screenshots"); }, cardMenu},
        {"a condition's field", [&] { return control(conditionRow(), "field"); }, conditionRow, rowMenu},
        {"an action's Remove", [&] { return control(actionRow(), "remove"); }, actionRow, rowMenu},
        {"an action's row", actionRow, actionRow, rowMenu},
        // Outside the rows' menus: the field's own edit menu, which the window system opens.
        {"a condition's text field", [&] { return control(conditionRow(), "value"); },
         [&] { return control(conditionRow(), "value"); }, {}, true},
    };
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Menu, Qt::NoModifier},
                                                             {Qt::Key_F10, Qt::ShiftModifier}};
    for (const Case &c : cases) {
        for (const auto &[key, modifiers] : keys) {
            if (c.menuKeyOnly && key != Qt::Key_Menu)
                continue;
            SCOPED_TRACE(std::string(c.item) + (key == Qt::Key_Menu ? ", Menu key" : ", Shift+F10"));
            QWidget *target = c.target();
            ASSERT_NE(target, nullptr);
            // The keys land where the focus is in the active window.
            ASSERT_TRUE(activate(target->window()));
            if (target->focusPolicy() & Qt::TabFocus)
                target->setFocus(Qt::TabFocusReason);
            MenuWatch menus;
            QTest::keyClick(target, key, modifiers);
            if (key == Qt::Key_Menu) {
                // What the window system makes of the Menu key after the press:
                // an event at the widget's text cursor.
                const QPoint cursor = target->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
                QContextMenuEvent echo(QContextMenuEvent::Keyboard, cursor, target->mapToGlobal(cursor));
                QApplication::sendEvent(target, &echo);
            }
            menus.take(); // a menu that did not wait for its choice
            EXPECT_EQ(menus.opened.size(), 1);
            if (menus.opened.isEmpty())
                continue;
            const OpenedMenu &opened = menus.opened.constFirst();
            EXPECT_EQ(opened.owner, c.owner());
            if (!c.entries.isEmpty()) {
                EXPECT_EQ(opened.entries, c.entries);
            }
            const QRect shown = c.shown ? c.shown() : shownOnScreen(c.owner());
            EXPECT_TRUE(shown.contains(opened.geometry.topLeft()))
                << "the menu at " << opened.geometry.x() << "," << opened.geometry.y() << ", the item at "
                << shown.x() << "," << shown.y() << " " << shown.width() << "×" << shown.height();
        }
    }

    // Escape closes the editor; on the rules page a rule moves up and goes
    // by keys alone.
    ASSERT_NE(window->ruleEditor(), nullptr);
    QTest::keyClick(window->ruleEditor(), Qt::Key_Escape);
    ASSERT_FALSE(model->editing());
    ASSERT_TRUE(activate(window.get()));
    const auto choose = [](const QString &entry) {
        MenuWatch menus(entry);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10, Qt::ShiftModifier);
        menus.take();
        return menus.opened.size();
    };
    const auto names = [&] {
        QStringList stored;
        for (const StoredRule &each : model->store().rules())
            stored.append(each.rule().name);
        return stored;
    };
    card("Screenshots")->enabledSwitch()->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(choose(QStringLiteral("Move Up")), 1);
    EXPECT_EQ(names(),
              (QStringList{QStringLiteral("Screenshots"), QStringLiteral("Invoices"), QStringLiteral("Archive")}));
    QCoreApplication::processEvents(); // the page follows the store
    ASSERT_TRUE(activate(window.get()));
    ASSERT_EQ(QApplication::focusWidget(), card("Screenshots")->enabledSwitch()); // the focus moved with its card
    ASSERT_EQ(choose(QStringLiteral("Delete Rule")), 1);
    EXPECT_FALSE(model->store().rule(screenshots.uuid));
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Invoices"), QStringLiteral("Archive")}));
}

namespace {

// The application's main window over a store of its own, menus included.
class MainWindowWalkTest : public ::testing::Test
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
class PagesWalkTest : public MainWindowWalkTest
{
protected:
    void SetUp() override
    {
        MainWindowWalkTest::SetUp();
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

// The lists draw their own rows, and with them where the keyboard is.
TEST_F(PagesWalkTest, TheSidebarAndTheJournalListShowTheirFocus)
{
    show(SidebarItem::journal);
    for (const char *name : {"sidebar", "journalList"}) {
        auto *list = window().findChild<QAbstractItemView *>(QLatin1String(name));
        ASSERT_NE(list, nullptr) << name;
        list->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        const QImage focused = list->viewport()->grab().toImage();
        window().toolBar()->widgetForAction(window().toolBar()->actions().constFirst())->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        EXPECT_TRUE(list->viewport()->grab().toImage() != focused) << name << " looks the same with and without the focus";
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

namespace {

// February's receipt of PagesWalkTest, and two in January.
class MonthKeysTest : public PagesWalkTest
{
protected:
    void SetUp() override
    {
        PagesWalkTest::SetUp();
        for (const int day : {5, 20}) {
            Recognition reading;
            reading.kind = DocumentKind::invoice;
            reading.date = CalendarUtc::noon(QDate(2026, 1, day));
            reading.sender = QStringLiteral("January %1").arg(day);
            RecognitionRecord record(QString(), QString(), dir.filePath(QStringLiteral("jan%1.pdf").arg(day)),
                                     reading);
            ASSERT_TRUE(model().store().insert(record));
        }
        show(SidebarItem::receipts);
        page = qobject_cast<ReceiptsPage *>(window().currentPage());
        ASSERT_NE(page, nullptr);
        table = page->findChild<QTableView *>(QStringLiteral("receipts"));
        ASSERT_NE(table, nullptr);
    }

    // The focus, and the table's current cell while the table has it.
    std::string keyboard() const
    {
        QWidget *focused = QApplication::focusWidget();
        std::string where = FocusWalk::names({focused});
        if (focused == table) {
            const QModelIndex current = table->currentIndex();
            where += current.isValid() ? " " + std::to_string(current.row()) + "," + std::to_string(current.column())
                                       : " nowhere";
        }
        return where;
    }

    ReceiptsPage *page = nullptr;
    QTableView *table = nullptr;
};

} // namespace

// The month keys pressed in the table: the same column of the new month's
// first row is current, or in an empty month the button of the key pressed
// has the focus, with its ring.
TEST_F(MonthKeysTest, AMonthStepFromTheTableKeepsTheKeyboardInSight)
{
    using Month = ReceiptsPage::Month;
    struct Case
    {
        const char *step;
        int row;    // the cell current before the key, in the month shown
        int column;
        Qt::Key key;
        Month month;
        std::string keyboard;
    };
    const Case cases[] = {
        {"February to January", 0, ReceiptsModel::amount, Qt::Key_BracketLeft, Month{2026, 1}, "receipts 0,2"},
        {"January to February", 1, ReceiptsModel::sender, Qt::Key_BracketRight, Month{2026, 2}, "receipts 0,1"},
        {"February to an empty March", 0, ReceiptsModel::file, Qt::Key_BracketRight, Month{2026, 3}, "nextMonth"},
        {"back to February", -1, 0, Qt::Key_BracketLeft, Month{2026, 2}, "nextMonth"},
        {"back to January", -1, 0, Qt::Key_BracketLeft, Month{2026, 1}, "nextMonth"},
        {"January to an empty December", 1, ReceiptsModel::kind, Qt::Key_BracketLeft, Month{2025, 12},
         "previousMonth"},
    };
    for (const Case &c : cases) {
        if (c.row >= 0) {
            table->setFocus(Qt::TabFocusReason);
            table->setCurrentIndex(page->tableModel()->index(c.row, c.column));
            ASSERT_EQ(keyboard(), "receipts " + std::to_string(c.row) + "," + std::to_string(c.column)) << c.step;
        }
        QTest::keyClick(QApplication::focusWidget(), c.key, Qt::ControlModifier);
        EXPECT_EQ(page->month(), c.month) << c.step;
        EXPECT_EQ(keyboard(), c.keyboard) << c.step;
    }
    // From the button the walk goes on as it stands.
    EXPECT_EQ(press({{Qt::Key_Tab, none}, {Qt::Key_Tab, none}}), "nextMonth sidebar");

    // A field open in the table closes with its month; the table keeps the focus.
    page->shift(1);
    table->setFocus(Qt::TabFocusReason);
    table->setCurrentIndex(page->tableModel()->index(1, ReceiptsModel::sender));
    EXPECT_EQ(press({{Qt::Key_F2, none}}), "QLineEdit");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(page->month(), (Month{2026, 2}));
    EXPECT_EQ(keyboard(), "receipts 0,1");
}

// The page moving by itself while the table has the focus: to a new
// receipt's month, the same column of its first row; to a month without
// receipts, Previous Month.
TEST_F(MonthKeysTest, AMonthThePageMovesToByItselfKeepsTheKeyboardInSight)
{
    ASSERT_EQ(page->month(), (ReceiptsPage::Month{2026, 2}));
    table->setFocus(Qt::TabFocusReason);
    table->setCurrentIndex(page->tableModel()->index(0, ReceiptsModel::currency));

    // A receipt dated in April, the newest while March has none.
    Recognition reading;
    reading.kind = DocumentKind::receipt;
    reading.date = CalendarUtc::noon(QDate(2026, 4, 2));
    RecognitionRecord april(QString(), QString(), dir.filePath(QStringLiteral("april.pdf")), reading);
    ASSERT_TRUE(model().store().insert(april));
    QCoreApplication::processEvents();
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 4}));
    EXPECT_EQ(keyboard(), "receipts 0,3");

    // Every receipt read again as a letter: the page goes to the current month, empty.
    for (RecognitionRecord record : model().store().recognitionRecords()) {
        Recognition letter = record.recognition();
        letter.kind = DocumentKind::letter;
        record.setRecognition(letter);
        ASSERT_TRUE(model().store().update(record));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(page->month(), (ReceiptsPage::Month{2026, 3}));
    EXPECT_EQ(page->tableModel()->rowCount(), 0);
    EXPECT_EQ(keyboard(), "previousMonth");
}

namespace {

// Every warning and worse that Qt logs while it is in scope.
class QtWarnings
{
public:
    QtWarnings()
        : m_before(qInstallMessageHandler(&QtWarnings::note))
    {
        logged().clear();
    }
    ~QtWarnings() { qInstallMessageHandler(m_before); }
    QtWarnings(const QtWarnings &) = delete;
    QtWarnings &operator=(const QtWarnings &) = delete;

    // What was logged since the last call.
    static QStringList take() { return std::exchange(logged(), {}); }

private:
    static QStringList &logged()
    {
        static QStringList messages;
        return messages;
    }
    static void note(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            logged().append(message);
    }

    const QtMessageHandler m_before;
};

} // namespace

// A field open in a Sender cell with text typed, and the month changes
// under it, by key, by button or by the page itself: the field closes as
// leaving it would, without a word from Qt; nothing is written, the typed
// text goes with its month, and the new month's table has the keyboard.
TEST_F(MonthKeysTest, AMonthStepWithACellFieldOpenClosesItCleanly)
{
    using Month = ReceiptsPage::Month;
    const auto button = [&](const char *name) {
        return [this, name] {
            auto *action = page->findChild<QAction *>(QLatin1String(name));
            ASSERT_NE(action, nullptr);
            QWidget *shown = window().toolBar()->widgetForAction(action);
            ASSERT_NE(shown, nullptr);
            QTest::mouseClick(shown, Qt::LeftButton);
        };
    };
    const auto key = [](Qt::Key pressed) {
        return [pressed] { QTest::keyClick(QApplication::focusWidget(), pressed, Qt::ControlModifier); };
    };
    struct Case
    {
        const char *way;
        std::function<void()> step;
        Month month;
        int rows;
    };
    const Case cases[] = {
        // A receipt of the current month: the page goes there by itself.
        {"the page moving by itself",
         [this] {
             Recognition reading;
             reading.kind = DocumentKind::receipt;
             reading.date = CalendarUtc::noon(QDate(2026, 3, 4));
             reading.sender = QStringLiteral("March");
             RecognitionRecord march(QString(), QString(), dir.filePath(QStringLiteral("march.pdf")), reading);
             ASSERT_TRUE(model().store().insert(march));
             QCoreApplication::processEvents();
         },
         Month{2026, 3}, 1},
        {"Ctrl+[", key(Qt::Key_BracketLeft), Month{2026, 2}, 1},
        {"Ctrl+[ again", key(Qt::Key_BracketLeft), Month{2026, 1}, 2},
        {"Ctrl+]", key(Qt::Key_BracketRight), Month{2026, 2}, 1},
        {"Next Month", button("nextMonth"), Month{2026, 3}, 1},
        {"Previous Month", button("previousMonth"), Month{2026, 2}, 1},
    };
    // What the store holds of the receipts there before: each one's sender,
    // amount and edit mark.
    const auto stored = [this](const QList<qint64> &ids) {
        std::string held;
        for (const RecognitionRecord &record : model().store().recognitionRecords()) {
            if (!ids.contains(record.id))
                continue;
            const Recognition reading = record.recognition();
            held += (reading.sender.value_or(QString()) + QLatin1Char('|')
                     + (reading.amount ? reading.amount->toString() : QString()) + QLatin1Char('|')
                     + QString::number(record.edited) + QLatin1Char('\n'))
                        .toStdString();
        }
        return held;
    };
    const QtWarnings warnings;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.way);
        ASSERT_GT(page->tableModel()->rowCount(), 0);
        table->setFocus(Qt::TabFocusReason);
        table->setCurrentIndex(page->tableModel()->index(0, ReceiptsModel::sender));
        ASSERT_EQ(press({{Qt::Key_F2, none}}), "QLineEdit");
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Typed"));
        QList<qint64> ids;
        for (const RecognitionRecord &record : model().store().recognitionRecords())
            ids.append(record.id);
        const std::string before = stored(ids);

        c.step();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_EQ(QtWarnings::take().join(QLatin1Char('\n')).toStdString(), "");
        EXPECT_EQ(page->month(), c.month);
        ASSERT_EQ(page->tableModel()->rowCount(), c.rows);
        EXPECT_EQ(stored(ids), before);
        EXPECT_TRUE(table->findChildren<QLineEdit *>().isEmpty());
        EXPECT_EQ(keyboard(), "receipts 0,1");
        for (int row = 0; row < c.rows; ++row) {
            EXPECT_FALSE(page->tableModel()->index(row, ReceiptsModel::sender).data().toString().endsWith(
                QStringLiteral("Typed")));
        }
    }
}

namespace {

// More cards than the rules page shows at once, and the model ready, so that
// the describe field takes the focus.
class RulesInViewTest : public MainWindowWalkTest
{
protected:
    void SetUp() override
    {
        qputenv("APP_MODEL_URL", server.baseUrl().toString().toUtf8());
        Prefs::registerDefaults();
        Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), true);
        MainWindowWalkTest::SetUp();
        model().autopilot().refreshModelStatus();
        ASSERT_TRUE(model().autopilot().modelStatus().isAvailable());
        for (int order = 0; order < cardCount; ++order) {
            const Rule rule{QUuid::createUuid(), QStringLiteral("Rule %1").arg(order), {}, {}, false, std::nullopt};
            StoredRule stored(rule, std::nullopt, order);
            ASSERT_TRUE(model().store().insert(stored));
        }
        show(SidebarItem::rules);
        page = qobject_cast<RulesPage *>(window().currentPage());
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([this] { return page->cards().size() == cardCount; }));
        area = page->findChild<QScrollArea *>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(area, nullptr);
    }

    void TearDown() override { app.reset(); }

    static constexpr int cardCount = 30;
    const TestSupport::ScopedSettings settings;
    const ScopedEnv modelUrl{"APP_MODEL_URL"};
    FakeModelServer server;
    RulesPage *page = nullptr;
    QScrollArea *area = nullptr;
};

} // namespace

TEST_F(RulesInViewTest, FocusComingIntoTheAreaLandsInView)
{
    const auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        return [=] { QTest::keyClick(QApplication::focusWidget(), key, modifiers); };
    };
    const auto describe = key(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    const auto palette = [this] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitFor([this] {
            QDialog *sheet = window().commandPalette();
            return sheet && QApplication::activeWindow() == sheet && QApplication::focusWidget();
        }));
        // Its title without the ellipsis, which no key types.
        QTest::keyClicks(QApplication::focusWidget(), CommandPalette::tr("Describe a Rule…").chopped(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The window manager's part: the window under the closed sheet is active again.
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    };
    QWidget *toolBar = window().toolBar()->widgetForAction(window().toolBar()->actions().constFirst());
    QWidget *sidebar = window().findChild<QWidget *>(QStringLiteral("sidebar"));
    const struct
    {
        const char *step;
        SidebarItem shown;   // the page on screen before the keys
        bool scrolledToEnd;  // the rules area at its end, else at its top
        QWidget *from;
        std::function<void()> keys;
        bool describe; // the describe field takes the focus, else a card
    } cases[] = {
        {"Tab from the sidebar", SidebarItem::rules, true, sidebar, key(Qt::Key_Tab, Qt::NoModifier), true},
        {"Shift+Tab round from the tool bar", SidebarItem::rules, false, toolBar, key(Qt::Key_Tab, Qt::ShiftModifier),
         false},
        {"Ctrl+Shift+N", SidebarItem::rules, true, sidebar, describe, true},
        {"Ctrl+Shift+N on another page", SidebarItem::journal, true, sidebar, describe, true},
        {"the palette's entry", SidebarItem::folders, true, sidebar, palette, true},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(each.step);
        show(SidebarItem::rules);
        QScrollBar *bar = area->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0);
        bar->setValue(each.scrolledToEnd ? bar->maximum() : 0);
        const int scrolled = bar->value();
        show(each.shown);
        each.from->setFocus(Qt::TabFocusReason);
        each.keys();
        QWidget *focus = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            focus = QApplication::focusWidget();
            return focus && page->isAncestorOf(focus);
        })) << FocusWalk::names({focus});
        // Not the describe field: a card, the page's only other stops.
        EXPECT_EQ(page->describeField()->isAncestorOf(focus), each.describe) << FocusWalk::names({focus});
        EXPECT_TRUE(FocusWalk::inView(focus)) << FocusWalk::names({focus});
        // What shows the focus, whole with its ring: the describe field's
        // box, which wears the field's ring, or the card's control.
        QWidget *shows = each.describe ? page->describeField()->findChild<QWidget *>(QStringLiteral("describeBox"))
                                       : focus;
        EXPECT_TRUE(FocusWalk::inView(shows, FocusRing::room)) << FocusWalk::names({shows});
        EXPECT_NE(bar->value(), scrolled); // it was out of view
    }
}

// A card moved by keys from the top of the list to its bottom and back, in a
// small window: its control keeps the focus, in view, and its menu opens on it.
TEST_F(RulesInViewTest, ACardMovedByKeysTakesTheFocusAlongInView)
{
    window().resize(720, 440);
    QCoreApplication::processEvents();
    QScrollBar *bar = area->verticalScrollBar();
    bar->setValue(0);
    RuleCard *moving = page->cards().constFirst();
    // From the sidebar by Tab, past the describe field, to the card.
    window().findChild<QWidget *>(QStringLiteral("sidebar"))->setFocus(Qt::TabFocusReason);
    for (int press = 0; press < 5 && !moving->isAncestorOf(QApplication::focusWidget()); ++press)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget *focused = QApplication::focusWidget();
    ASSERT_TRUE(moving->isAncestorOf(focused)) << FocusWalk::names({focused});

    const struct
    {
        const char *entry;
        int step;
    } moves[] = {{"Move Down", 1}, {"Move Up", -1}};
    for (const auto &[entry, step] : moves) {
        for (int move = 1; move < cardCount; ++move) {
            const int from = int(page->cards().indexOf(moving));
            const int before = moving->y();
            SCOPED_TRACE(std::string(entry) + " from " + std::to_string(from));
            MenuWatch menus{QString::fromLatin1(entry)};
            QTest::keyClick(focused, Qt::Key_F10, Qt::ShiftModifier);
            menus.take();
            ASSERT_EQ(menus.opened.size(), 1);
            // Offscreen the window has no focus once the menu is gone; it
            // keeps its control's, and the page follows the control.
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return page->cards().indexOf(moving) == from + step && moving->y() != before; }));
            EXPECT_TRUE(QTest::qWaitFor([&] { return FocusWalk::inView(focused, FocusRing::room); }))
                << "at " << focused->mapTo(area->widget(), QPoint(0, 0)).y() << ", the view at " << bar->value();
            window().activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
            ASSERT_EQ(QApplication::focusWidget(), focused);
            // The next menu opens on the card.
            MenuWatch next;
            QTest::keyClick(focused, Qt::Key_F10, Qt::ShiftModifier);
            next.take();
            ASSERT_EQ(next.opened.size(), 1);
            EXPECT_TRUE(shownOnScreen(moving).contains(next.opened.constFirst().geometry.topLeft()));
            window().activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        }
    }
    EXPECT_EQ(page->cards().constFirst(), moving);
}

// Tab from card to card down a list longer than the window, light and dark,
// under Fusion and a desktop's style with larger controls: an "Edit…" that
// the view scrolls to as it takes the focus wears its ring at once, not only
// from the next key on, down to the last card's.
TEST_F(RulesInViewTest, AButtonScrolledIntoViewByTabWearsItsRingAtOnce)
{
    window().resize(720, 440);
    QCoreApplication::processEvents();
    QScrollBar *bar = area->verticalScrollBar();
    QWidget *lastEdit = page->cards().constLast()->findChild<QWidget *>(QStringLiteral("edit"));
    ASSERT_NE(lastEdit, nullptr);
    const struct Restore
    {
        ~Restore() { Appearance::apply(Appearance::Mode::light); }
    } restore;
    for (const QString &style : {QStringLiteral("Fusion"), QStringLiteral("Adwaita-Dark")}) {
        const DesktopLook look(style, QApplication::font().pointSizeF());
        ASSERT_TRUE(look.isAvailable()) << style.toStdString();
        for (const Appearance::Mode mode : {Appearance::Mode::light, Appearance::Mode::dark}) {
            SCOPED_TRACE(style.toStdString() + (mode == Appearance::Mode::dark ? ", dark" : ", light"));
            QApplication::setPalette(Appearance::palette(mode));
            QCoreApplication::processEvents();
            bar->setValue(0);
            page->cards().constFirst()->enabledSwitch()->setFocus(Qt::TabFocusReason);
            int scrolled = 0;
            for (int press = 0; press < 4 * cardCount && QApplication::focusWidget() != lastEdit; ++press) {
                const int before = bar->value();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QWidget *focused = QApplication::focusWidget();
                ASSERT_NE(focused, nullptr);
                if (bar->value() == before || focused->objectName() != QLatin1String("edit"))
                    continue;
                ++scrolled;
                const std::string where = "at " + std::to_string(focused->mapTo(area->widget(), QPoint(0, 0)).y())
                    + ", the view at " + std::to_string(bar->value());
                // The frame that wears the ring is up, round the button...
                const auto frames =
                    area->viewport()->findChildren<QFocusFrame *>(QString(), Qt::FindDirectChildrenOnly);
                ASSERT_EQ(frames.size(), 1) << where;
                const QFocusFrame *frame = frames.constFirst();
                EXPECT_TRUE(frame->isVisible()) << where;
                const QRect button(focused->mapTo(area->viewport(), QPoint(0, 0)), focused->size());
                EXPECT_TRUE(frame->geometry().contains(button)) << where;
                // ...and the window's picture shows the ring round it: in the
                // room beside the button, not on the button, where a style
                // draws its own focus outline in a colour close to the ring's.
                const int room = FocusRing::room;
                const QImage picture = window()
                                           .grab(QRect(focused->mapTo(&window(), QPoint(-room, -room)),
                                                       focused->size() + QSize(2 * room, 2 * room)))
                                           .toImage();
                const QRect onButton(QPoint(room, room), focused->size());
                const QColor ring = FocusRing::colour(focused->palette());
                int ringPixels = 0;
                for (int y = 0; y < picture.height(); ++y) {
                    for (int x = 0; x < picture.width(); ++x)
                        ringPixels += !onButton.contains(x, y)
                            && FocusRing::contrast(picture.pixelColor(x, y), ring) < 1.2;
                }
                EXPECT_GE(ringPixels, focused->width() + focused->height()) << where;
            }
            EXPECT_EQ(QApplication::focusWidget(), lastEdit);
            EXPECT_GT(scrolled, 0);
        }
    }
}

// In the rule editor, conditions added by keys until the list scrolls, then
// one moved down to the bottom: the focused control shows whole each time.
TEST_F(RulesInViewTest, RowsAddedAndMovedInTheEditorKeepTheFocusedControlInView)
{
    QWidget *sidebar = window().findChild<QWidget *>(QStringLiteral("sidebar"));
    sidebar->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sidebar, Qt::Key_N, Qt::ControlModifier);
    QDialog *sheet = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        sheet = window().ruleEditor();
        return sheet && QApplication::activeWindow() == sheet;
    }));
    QCoreApplication::processEvents(); // the sheet takes the focus itself once it is active
    auto *editor = qobject_cast<RuleEditor *>(sheet);
    ASSERT_NE(editor, nullptr);
    auto *form = editor->findChild<QScrollArea *>();
    ASSERT_NE(form, nullptr);
    const auto activate = [&] {
        sheet->activateWindow();
        return QTest::qWaitForWindowActive(sheet);
    };
    const auto focus = [&] { return QApplication::focusWidget() ? QApplication::focusWidget() : sheet; };
    for (int press = 0; press < 10 && focus()->objectName() != QLatin1String("addCondition"); ++press)
        QTest::keyClick(focus(), Qt::Key_Tab);
    QWidget *add = focus();
    ASSERT_EQ(add->objectName(), QStringLiteral("addCondition"));

    // Space opens the menu, Down goes to "Name", Return adds it.
    constexpr int added = 14;
    const qsizetype first = editor->conditionRows().size(); // a new rule's own
    const auto top = [&](const QWidget *control) { return control->mapTo(form->widget(), QPoint(0, 0)).y(); };
    for (int row = 1; row <= added; ++row) {
        SCOPED_TRACE("condition " + std::to_string(row));
        const int before = top(add);
        MenuWatch menus(Labels::title(Condition::Field::name));
        QTest::keyClick(add, Qt::Key_Space);
        menus.take();
        ASSERT_EQ(menus.opened.size(), 1);
        // Added and laid out: the button stands lower.
        ASSERT_TRUE(QTest::qWaitFor([&] { return editor->conditionRows().size() == first + row && top(add) > before; }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return FocusWalk::inView(add, FocusRing::room); }))
            << "at " << top(add) << ", the view at " << form->verticalScrollBar()->value();
        ASSERT_TRUE(activate());
        // The window gives the focus back as it is activated, maybe a turn later.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == add; }))
            << "the focus on " << (QApplication::focusWidget() ? qPrintable(QApplication::focusWidget()->objectName()) : "nothing");
    }
    EXPECT_GT(form->verticalScrollBar()->value(), 0); // the button would have left the view

    // Alt+Down on the first added row's text, until it is the last row.
    ConditionRow *moving = editor->conditionRows().at(first);
    QWidget *value = moving->findChild<QWidget *>(QStringLiteral("value"));
    ASSERT_NE(value, nullptr);
    value->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), value);
    for (qsizetype to = first + 1; to < first + added; ++to) {
        SCOPED_TRACE("row moved to " + std::to_string(to));
        const int before = top(value);
        QTest::keyClick(value, Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return editor->conditionRows().indexOf(moving) == to && top(value) > before; }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return FocusWalk::inView(value, FocusRing::room); }))
            << "at " << top(value) << ", the view at " << form->verticalScrollBar()->value();
        EXPECT_EQ(QApplication::focusWidget(), value);
    }
}

// An empty journal shows its empty state over the list, which is then no stop.
TEST_F(MainWindowWalkTest, TheEmptyJournalIsNoStop)
{
    for (const auto &[filter, stops] : {std::pair{AppModel::JournalFilter::all, "all sidebar"},
                                        std::pair{AppModel::JournalFilter::review, "review sidebar"}}) {
        model().setJournalFilter(filter);
        show(SidebarItem::journal);
        EXPECT_EQ(FocusWalk::names(FocusWalk::onScreen(&window(), regions())), stops);
        FocusWalk::expectScreenOrder(&window(), regions(), stops);
    }
}

namespace {

// Presses keys in the modal windows as they come up, one list of keys for
// each window in turn; the keys go to the window's focused control.
void pressInDialogs(QList<QList<Qt::Key>> dialogs)
{
    if (dialogs.isEmpty())
        return;
    QTimer::singleShot(0, [dialogs]() mutable {
        const QList<Qt::Key> keys = dialogs.takeFirst();
        // The next window's keys wait for it: these keys may open it.
        pressInDialogs(dialogs);
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        for (const Qt::Key key : keys) {
            QWidget *focused = dialog->focusWidget();
            // Tab stops on the "Yes" of a question.
            if (key == Qt::Key_Tab) {
                for (int i = 0; i < 4 && !(focused && focused->property("text").toString().contains(u"Yes")); ++i) {
                    QTest::keyClick(focused ? focused : dialog, Qt::Key_Tab);
                    focused = dialog->focusWidget();
                }
                continue;
            }
            QTest::keyClick(focused ? focused : dialog, key);
        }
    });
}

} // namespace

// "Export Month…" through the save dialog itself, by keyboard. The dialog
// proposes an archive that is there already, so Return asks whether to
// replace it. However the dialogs end, the main window is the active one
// again and the button has the focus, also where no window was active as
// they closed (here none is, as under a window manager that takes its time).
TEST_F(PagesWalkTest, ExportMonthHasTheFocusBackAfterItsDialogs)
{
    show(SidebarItem::receipts);
    auto *page = qobject_cast<ReceiptsPage *>(window().currentPage());
    ASSERT_NE(page, nullptr);
    page->setReveal([](const QStringList &, const auto &) {});
    QWidget *button = window().toolBar()->widgetForAction(page->findChild<QAction *>(QStringLiteral("exportMonth")));
    ASSERT_NE(button, nullptr);
    const QString archive = QDir(StandardFolders::path(StandardFolders::Folder::documents, RealHome::path()))
                                .filePath(ReceiptExport::baseName(2026, 2) + QStringLiteral(".zip"));
    ASSERT_TRUE(TestSupport::writeFile(archive, "old"));
    struct Case
    {
        const char *step;
        QList<QList<Qt::Key>> keys; // in the save dialog, then in the question over it, ...
        bool replaced;
    };
    const Case cases[] = {
        {"dialog left with Escape", {{Qt::Key_Escape}}, false},
        {"not replaced, then left", {{Qt::Key_Return}, {Qt::Key_Return}, {Qt::Key_Escape}}, false},
        {"replaced", {{Qt::Key_Return}, {Qt::Key_Tab, Qt::Key_Space}}, true},
    };
    for (const Case &c : cases) {
        QSignalSpy finished(page, &ReceiptsPage::exportFinished);
        button->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(button->hasFocus()) << c.step;
        pressInDialogs(c.keys);
        QTest::keyClick(button, Qt::Key_Space);
        if (c.replaced) {
            ASSERT_TRUE(finished.wait(10000)) << c.step;
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &window()) << c.step;
        EXPECT_EQ(FocusWalk::names({QApplication::focusWidget()}), "exportMonth") << c.step;
        EXPECT_EQ(TestSupport::readFile(archive) != "old", c.replaced) << c.step;
    }
}

// Return on a focused button of the window presses it, as Space does; the
// window offers no menu of its own bars (the View menu shows and hides
// them), also where the keyboard asks for one with nothing focused.
TEST_F(PagesWalkTest, ReturnPressesTheFocusedButtonAndTheWindowHasNoMenuOfItsBars)
{
    using Month = ReceiptsPage::Month;
    const auto shownMonth = [this] {
        const auto *page = qobject_cast<ReceiptsPage *>(window().currentPage());
        return page ? page->month() : Month{};
    };
    struct Case
    {
        SidebarItem page;
        const char *button;
        std::function<bool()> pressed;
    };
    const Case cases[] = {
        {SidebarItem::receipts, "previousMonth", [&] { return shownMonth() == Month{2026, 1}; }},
        {SidebarItem::receipts, "nextMonth", [&] { return shownMonth() == Month{2026, 2}; }},
    };
    for (const Case &c : cases) {
        show(c.page);
        auto *button = window().findChild<QToolButton *>(QString::fromLatin1(c.button));
        ASSERT_NE(button, nullptr) << c.button;
        button->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), button) << c.button;
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor(c.pressed)) << c.button;
    }

    // A menu opened, shown at once or run in a loop of its own, is read and closed.
    QString offered;
    const auto takeMenu = [&offered] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (const QAction *action : menu->actions())
                offered += action->text();
            menu->close();
        }
    };
    QTimer menuWatch;
    menuWatch.setInterval(10);
    QObject::connect(&menuWatch, &QTimer::timeout, takeMenu);
    menuWatch.start();
    window().setFocus(Qt::OtherFocusReason);
    // The tool bar's place, inside the window, asked for by the mouse and by the keyboard.
    const QPoint inBar = window().toolBar()->geometry().center();
    for (const auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
        QContextMenuEvent request(reason, inBar, window().mapToGlobal(inBar));
        QApplication::sendEvent(&window(), &request);
        takeMenu();
        EXPECT_EQ(offered.toStdString(), "") << int(reason);
    }
}
