// The German case runs by CTest with LANGUAGE=de (FilewrightAppTests.german);
// skipped otherwise. The accelerators, and the panel reached by them, are
// checked in whichever language runs.
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "MenuCommands.h"
#include "SidebarItem.h"
#include "Store.h"
#include "Translation.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The letter that Alt and the underlined "&x" choose, or nothing.
std::optional<QChar> accelerator(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text[i + 1].toLower();
        ++i; // "&&" is a plain "&"
    }
    return std::nullopt;
}

// "menu: &Datei and &Darstellung" for every key that two entries of one
// menu (or of the menu bar) take, "menu: Neu has none" for every entry that
// no key picks.
QStringList acceleratorFaults(const QString &menu, const QList<QAction *> &actions)
{
    QStringList faults;
    QHash<QChar, QString> taken;
    for (const QAction *action : actions) {
        if (action->isSeparator())
            continue;
        if (const std::optional<QChar> key = accelerator(action->text())) {
            if (taken.contains(*key))
                faults.append(menu + QStringLiteral(": ") + taken.value(*key) + QStringLiteral(" and ")
                              + action->text());
            else
                taken.insert(*key, action->text());
        } else {
            faults.append(menu + QStringLiteral(": ") + action->text() + QStringLiteral(" has none"));
        }
        if (action->menu())
            faults += acceleratorFaults(action->text(), action->menu()->actions());
    }
    return faults;
}

// The "Go" menu shows each page under the sidebar's words.
void expectPageTitlesInGo(const FilewrightApp &app)
{
    for (const SidebarItem item : SidebarItems::allCases) {
        const QString raw = SidebarItems::rawValue(item);
        const QAction *go = app.commands().action(QStringLiteral("go") + raw.left(1).toUpper() + raw.mid(1));
        ASSERT_NE(go, nullptr) << raw.toStdString();
        EXPECT_EQ(go->iconText(), SidebarItems::title(item));
    }
}

} // namespace

TEST(GermanMenusTest, AGermanDesktopGetsGermanMenus)
{
    if (!qEnvironmentVariable("LANGUAGE").startsWith(QStringLiteral("de")))
        GTEST_SKIP() << "runs with LANGUAGE=de";
    ASSERT_EQ(Translation::install(), NameLanguage::de);
    QTemporaryDir dir;
    FilewrightApp app(Store::open(dir.filePath(QStringLiteral("german.store"))));
    QStringList titles;
    for (const QAction *menu : app.mainWindow().menuBar()->actions())
        titles.append(menu->text());
    EXPECT_EQ(titles.join(u','), QStringLiteral("&Datei,&Ansicht,&Gehe zu,&Hilfe"));
    ASSERT_NE(app.commands().action(QStringLiteral("showPanel")), nullptr);
    EXPECT_EQ(app.commands().action(QStringLiteral("showPanel"))->text(), QStringLiteral("&Übersicht anzeigen"));
    EXPECT_EQ(acceleratorFaults(QStringLiteral("menu bar"), app.mainWindow().menuBar()->actions()), QStringList());
    expectPageTitlesInGo(app);
}

TEST(MenuAcceleratorsTest, EveryEntryHasAKeyAndNoTwoEntriesOfAMenuShareOne)
{
    EXPECT_EQ(accelerator(QStringLiteral("&Datei")), QChar(u'd'));
    EXPECT_EQ(accelerator(QStringLiteral("Save && &Quit")), QChar(u'q'));
    EXPECT_EQ(accelerator(QStringLiteral("Tom && Jerry")), std::nullopt);
    QMenuBar probe;
    probe.addMenu(QStringLiteral("&Datei"));
    QMenu *view = probe.addMenu(QStringLiteral("&Darstellung"));
    view->addAction(QStringLiteral("&Neu"));
    view->addSeparator();
    view->addAction(QStringLiteral("Tom && Jerry"));
    EXPECT_EQ(acceleratorFaults(QStringLiteral("menu bar"), probe.actions()),
              (QStringList{QStringLiteral("menu bar: &Datei and &Darstellung"),
                           QStringLiteral("&Darstellung: Tom && Jerry has none")}));

    // Every entry of the program's menus has a key of its own.
    QTemporaryDir dir;
    FilewrightApp app(Store::open(dir.filePath(QStringLiteral("keys.store"))));
    EXPECT_EQ(acceleratorFaults(QStringLiteral("menu bar"), app.mainWindow().menuBar()->actions()), QStringList());
    expectPageTitlesInGo(app);
}

TEST(GoMenuTest, ThePanelIsOpenedByKeysFromTheGoMenuWithOrWithoutATray)
{
    // The key that types a letter: the key codes of Latin-1 letters are their upper case.
    const auto keyOf = [](QChar letter) { return Qt::Key(letter.toUpper().unicode()); };
    for (const bool tray : {false, true}) {
        SCOPED_TRACE(tray ? "with a tray" : "without a tray");
        QTemporaryDir dir;
        FilewrightApp app(Store::open(dir.filePath(QStringLiteral("panel.store"))), [tray] { return tray; });
        EXPECT_EQ(app.hasTrayIcon(), tray);
        auto *go = app.mainWindow().menuBar()->findChild<QMenu *>(QStringLiteral("goMenu"));
        ASSERT_NE(go, nullptr);
        QAction *show = app.commands().action(QStringLiteral("showPanel"));
        ASSERT_NE(show, nullptr);
        ASSERT_TRUE(go->actions().contains(show));
        const std::optional<QChar> menuKey = accelerator(go->title());
        const std::optional<QChar> entryKey = accelerator(show->text());
        ASSERT_TRUE(menuKey && entryKey);

        app.showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&app.mainWindow()));
        QTest::keyClick(&app.mainWindow(), keyOf(*menuKey), Qt::AltModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == go; }));
        QTest::sendKeyEvent(QTest::Click, go, keyOf(*entryKey), QString(*entryKey), Qt::NoModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return app.panel().isVisible(); }));
        // The panel has the keys now.
        EXPECT_TRUE(QTest::qWaitFor([&] { return app.panel().isAncestorOf(QApplication::focusWidget()); }));
        app.panel().hide();
    }
}
