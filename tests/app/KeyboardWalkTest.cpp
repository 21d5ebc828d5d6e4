// The main window's pages driven by keyboard: Tab and Shift+Tab walk every
// control that acts in the order it stands on screen (toolbar, sidebar,
// page), and the page keeps the focus when it rebuilds itself.
#include "DescribeRuleField.h"
#include "FocusWalk.h"
#include "FolderRow.h"
#include "MainWindow.h"
#include "RuleCard.h"
#include "RuleEditorFixture.h"
#include "RulesPage.h"
#include "Sidebar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QtTest/QTest>

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
