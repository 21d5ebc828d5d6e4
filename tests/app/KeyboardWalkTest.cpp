// The main window's pages driven by keyboard: Tab and Shift+Tab walk every
// control that acts in the order it stands on screen (toolbar, sidebar,
// page), and the page keeps the focus when it rebuilds itself.
#include "FocusWalk.h"
#include "FolderRow.h"
#include "MainWindow.h"
#include "RuleCard.h"
#include "DescribeRuleField.h"
#include "RuleEditorFixture.h"
#include "RulesPage.h"
#include "Sidebar.h"
#include "ToggleSwitch.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
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

    // The main window on screen, showing item's page.
    void show(SidebarItem item)
    {
        window = std::make_unique<MainWindow>(*model);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        model->setSidebar(item);
        QCoreApplication::processEvents();
    }

    QList<QWidget *> regions() const
    {
        return {window->toolBar(), window->findChild<Sidebar *>(), window->currentPage()};
    }

    std::unique_ptr<MainWindow> window;
};

// Every control that acts (each button, switch and check box of the rows,
// and the rows without controls) is among the window's stops.
void expectReached(QWidget *window, const QList<QWidget *> &rows, const char *step)
{
    const QList<QWidget *> screen = FocusWalk::onScreen(window, {window});
    for (QWidget *row : rows) {
        QList<QWidget *> controls;
        for (QAbstractButton *button : row->findChildren<QAbstractButton *>()) {
            if (button->isVisible() && button->isEnabled())
                controls.append(button);
        }
        if (controls.isEmpty())
            controls.append(row);
        for (QWidget *control : controls)
            EXPECT_TRUE(screen.contains(control)) << step << ": not reached: " << FocusWalk::names({control});
    }
}

FolderRow *folderRow(QWidget *page, const QString &name)
{
    for (FolderRow *row : page->findChildren<FolderRow *>()) {
        if (row->findChild<QLabel *>(QStringLiteral("name"))->text() == name)
            return row;
    }
    return nullptr;
}

// Closes each context menu that opens, keeping its entries; with `choose`,
// picks that entry by keyboard instead.
struct MenuWatch
{
    explicit MenuWatch(QString choose = {})
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, choose] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            QStringList entries;
            for (QAction *action : menu->actions()) {
                entries.append(action->text());
                if (action->text() == choose)
                    menu->setActiveAction(action);
            }
            opened.append(entries);
            if (choose.isEmpty())
                menu->close();
            else
                QTest::keyClick(menu, Qt::Key_Return);
        });
        timer.start();
    }

    QTimer timer;
    QList<QStringList> opened;
};

} // namespace

TEST_F(KeyboardWalkTest, FoldersPageWalksItsRowsInScreenOrderAndOpensARowsMenuByKey)
{
    folder(QStringLiteral("Downloads"));
    const WatchedFolder place = folder(QStringLiteral("Archive"), false);
    WatchedFolder paused = folder(QStringLiteral("Desktop"));
    folder(QStringLiteral("Invoices"), false);
    WatchedFolder lost = folder(QStringLiteral("Scans"));
    paused.isEnabled = false;
    lost.needsReselect = true;
    for (const WatchedFolder &changed : {paused, lost})
        ASSERT_TRUE(model->store().update(changed));
    show(SidebarItem::folders);
    QWidget *page = window->currentPage();

    const QList<FolderRow *> rows = page->findChildren<FolderRow *>();
    ASSERT_EQ(rows.size(), 5);
    expectReached(window.get(), {rows.cbegin(), rows.cend()}, "folders");
    FocusWalk::expectScreenOrder(window.get(), regions(), "folders");

    // The Menu key and Shift+F10 open the row's menu, on the row or its
    // controls; the window system's event after the Menu key opens no second one.
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
        {"Desktop", "watch", Qt::Key_Menu, Qt::NoModifier},
        {"Desktop", "subfolders", Qt::Key_F10, Qt::ShiftModifier},
        {"Scans", "chooseAgain", Qt::Key_Menu, Qt::NoModifier},
    };
    for (const auto &each : cases) {
        SCOPED_TRACE(std::string(each.row) + " " + each.control);
        FolderRow *row = folderRow(page, QLatin1String(each.row));
        ASSERT_NE(row, nullptr);
        QWidget *target = *each.control ? row->findChild<QWidget *>(QLatin1String(each.control)) : row;
        target->setFocus(Qt::TabFocusReason);
        MenuWatch menus;
        QTest::keyClick(target, each.key, each.modifiers);
        QContextMenuEvent echo(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        QApplication::sendEvent(target, &echo);
        EXPECT_EQ(menus.opened, QList<QStringList>{entries});
    }

    // "Remove" by keyboard on a place: the place goes, its folder stays, and
    // the focus moves to the place that now stands in its row.
    FolderRow *archive = folderRow(page, QStringLiteral("Archive"));
    archive->setFocus(Qt::TabFocusReason);
    {
        MenuWatch menus(QStringLiteral("Remove"));
        QTest::keyClick(archive, Qt::Key_Menu);
        EXPECT_EQ(menus.opened, QList<QStringList>{entries});
    }
    EXPECT_FALSE(model->store().folder(place.uuid));
    EXPECT_TRUE(QFileInfo(place.displayPath).isDir());
    EXPECT_EQ(QApplication::focusWidget(), folderRow(page, QStringLiteral("Invoices")));
    FocusWalk::expectScreenOrder(window.get(), regions(), "a place removed");
}

TEST_F(KeyboardWalkTest, SpaceTwiceOnAFolderSwitchSwitchesTwice)
{
    folder(QStringLiteral("Downloads"));
    const WatchedFolder desktop = folder(QStringLiteral("Desktop"));
    show(SidebarItem::folders);
    QWidget *page = window->currentPage();

    for (const char *control : {"watch", "subfolders"}) {
        SCOPED_TRACE(control);
        const auto value = [&] {
            const WatchedFolder stored = *model->store().folder(desktop.uuid);
            return std::string_view(control) == "watch" ? stored.isEnabled : stored.includeSubfolders;
        };
        auto *first = folderRow(page, QStringLiteral("Desktop"))->findChild<QAbstractButton *>(QLatin1String(control));
        first->setFocus(Qt::TabFocusReason);
        const bool before = value();
        for (const bool expected : {!before, before}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            EXPECT_EQ(value(), expected);
            // The rebuilt row's same control has the focus.
            QWidget *focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            EXPECT_EQ(focus->objectName(), QLatin1String(control));
            EXPECT_EQ(focus->parentWidget(), folderRow(page, QStringLiteral("Desktop")));
        }
    }
}

TEST_F(KeyboardWalkTest, RulesPageTabFollowsTheCardsAfterMovesAdditionsAndRemovals)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    const auto store = [&](const Rule &rule, qint64 order) {
        StoredRule stored(rule, downloads.uuid, order);
        model->store().insert(stored);
    };
    for (const char *name : {"Invoices", "Screenshots", "Installers"})
        store(rule(QLatin1String(name), {}, {}), model->store().rules().size());
    // A rule that writes where it may not: its card's "Allow…" is a stop too.
    store(rule(QStringLiteral("Archive"), {}, {action(Kind::move, QStringLiteral("~/Nowhere"))}), 3);
    useModel(); // the describe field shows, above the cards
    show(SidebarItem::rules);
    auto *page = qobject_cast<RulesPage *>(window->currentPage());
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->cards().size() == 4; }));
    ASSERT_TRUE(page->describeField()->isVisible());

    const auto menuItem = [](RuleCard *card, const QString &item) {
        std::unique_ptr<QMenu> menu(card->makeMenu(nullptr));
        for (QAction *action : menu->actions()) {
            if (action->text() == item)
                return action->trigger();
        }
        ADD_FAILURE() << "no menu item " << item.toStdString();
    };
    const auto expectWalk = [&](const char *step, qsizetype cards) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return page->cards().size() == cards; })) << step;
        QCoreApplication::processEvents();
        expectReached(window.get(), {page->cards().cbegin(), page->cards().cend()}, step);
        FocusWalk::expectScreenOrder(window.get(), regions(), step);
    };

    expectWalk("as opened", 4);
    ASSERT_NE(page->cards().at(3)->findChild<QPushButton *>(QStringLiteral("allow")), nullptr);
    menuItem(page->cards().at(2), QStringLiteral("Move Up"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->cards().at(1)->stored().rule().name == "Installers"; }));
    expectWalk("after Move Up", 4);
    menuItem(page->cards().at(3), QStringLiteral("Move Up"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->cards().at(2)->stored().rule().name == "Archive"; }));
    expectWalk("the Allow card moved up", 4);
    store(rule(QStringLiteral("Receipts"), {}, {}), -1);
    expectWalk("after an addition", 5);
    menuItem(page->cards().at(2), QStringLiteral("Delete Rule"));
    expectWalk("after a removal", 4);
}

