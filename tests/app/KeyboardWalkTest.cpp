// The main window's pages driven by keyboard, with real key presses: Tab and
// Shift+Tab walk every control that acts in the order it stands on screen
// (tool bar, sidebar, page), the page keeps the focus when it rebuilds
// itself, and the control that takes the focus is in view.
#include "AppModel.h"
#include "Autopilot.h"
#include "CommandPalette.h"
#include "DescribeRuleField.h"
#include "FakeModelServer.h"
#include "FilewrightApp.h"
#include "FocusWalk.h"
#include "FolderRow.h"
#include "MainWindow.h"
#include "Prefs.h"
#include "RealHome.h"
#include "ReceiptExport.h"
#include "ReceiptsModel.h"
#include "ReceiptsPage.h"
#include "RuleCard.h"
#include "RuleEditorFixture.h"
#include "RulesPage.h"
#include "ScopedEnv.h"
#include "Sidebar.h"
#include "StandardFolders.h"
#include "Store.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>

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
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        model->setSidebar(item);
        QCoreApplication::processEvents();
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

// Keeps the entries of each context menu that opens, then closes it, or
// presses its entry `choose` by keyboard.
struct MenuWatch
{
    explicit MenuWatch(const QString &choose = {})
    {
        QObject::connect(&timer, &QTimer::timeout, [this, choose] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                opened.append(QStringList());
                for (QAction *action : menu->actions()) {
                    opened.last().append(action->text());
                    if (action->text() == choose)
                        menu->setActiveAction(action);
                }
                if (choose.isEmpty())
                    menu->close();
                else
                    QTest::keyClick(menu, Qt::Key_Return);
            }
        });
        timer.start(10);
    }

    QTimer timer;
    QList<QStringList> opened;
};

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

    // The Menu key and Shift+F10 open the row's menu, on the row or on its
    // controls; the window system's event after the key opens no second one.
    const QStringList entries{QStringLiteral("Show in File Manager"), QStringLiteral("Remove")};
    const struct
    {
        const char *row;
        const char *control; // empty: the row itself
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } cases[] = {
        {"Archive", "", Qt::Key_Menu, Qt::NoModifier},
        {"Archive", "", Qt::Key_F10, Qt::ShiftModifier},
        {"Desktop", "watch", Qt::Key_F10, Qt::ShiftModifier},
        {"Scans", "chooseAgain", Qt::Key_Menu, Qt::NoModifier},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(std::string(each.row) + " " + each.control);
        FolderRow *row = folderRow(page, QLatin1String(each.row));
        QWidget *target = *each.control ? row->findChild<QWidget *>(QLatin1String(each.control)) : row;
        target->setFocus(Qt::TabFocusReason);
        MenuWatch menus;
        QTest::keyClick(target, each.key, each.modifiers);
        QContextMenuEvent echo(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        QApplication::sendEvent(target, &echo);
        EXPECT_EQ(menus.opened, QList<QStringList>{entries});
    }

    // "Remove" by keyboard: the place goes, its folder stays, and the focus
    // moves to the place that now stands in its row.
    folderRow(page, QStringLiteral("Archive"))->setFocus(Qt::TabFocusReason);
    {
        MenuWatch menus(QStringLiteral("Remove"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Menu);
    }
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
        EXPECT_NE(bar->value(), scrolled); // it was out of view
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
        if (c.replaced)
            ASSERT_TRUE(finished.wait(10000)) << c.step;
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), &window()) << c.step;
        EXPECT_EQ(FocusWalk::names({QApplication::focusWidget()}), "exportMonth") << c.step;
        EXPECT_EQ(TestSupport::readFile(archive) != "old", c.replaced) << c.step;
    }
}
