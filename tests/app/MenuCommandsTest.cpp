#include "AppModel.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "MenuCommands.h"
#include "SettingsWindow.h"
#include "Store.h"
#include "Updater.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class MenuCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        app = std::make_unique<FilewrightApp>(Store::open(dir.filePath(QStringLiteral("menu.store"))));
        app->showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->mainWindow()));
    }

    AppModel &model() const { return app->model(); }

    void press(const QKeySequence &keys)
    {
        QTest::keySequence(&app->mainWindow(), keys);
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    std::unique_ptr<FilewrightApp> app;
};

} // namespace

TEST_F(MenuCommandsTest, PageShortcutsFollowTheSidebarOrder)
{
    const std::pair<const char *, SidebarItem> pages[] = {
        {"Ctrl+2", SidebarItem::journal}, {"Ctrl+3", SidebarItem::folders},
        {"Ctrl+4", SidebarItem::receipts}, {"Ctrl+1", SidebarItem::rules}};
    for (const auto &[keys, item] : pages) {
        press(QKeySequence(QString::fromLatin1(keys)));
        EXPECT_EQ(model().sidebar(), item) << keys;
        EXPECT_EQ(app->mainWindow().currentPage()->objectName(), SidebarItems::rawValue(item) + QStringLiteral("Page"))
            << keys;
    }
}

TEST_F(MenuCommandsTest, ShowItemsToCheckSetsPageThenFilter)
{
    model().setSidebar(SidebarItem::journal);
    press(QKeySequence(QStringLiteral("Ctrl+Shift+R")));
    EXPECT_EQ(model().sidebar(), SidebarItem::journal);
    EXPECT_EQ(model().journalFilter(), AppModel::JournalFilter::review);
}

TEST_F(MenuCommandsTest, DescribeRaisesTheFocusCounterEveryTime)
{
    model().setSidebar(SidebarItem::folders);
    press(QKeySequence(QStringLiteral("Ctrl+Shift+N")));
    press(QKeySequence(QStringLiteral("Ctrl+Shift+N")));
    EXPECT_EQ(model().sidebar(), SidebarItem::rules);
    EXPECT_EQ(model().describeFocus(), 2);
}

TEST_F(MenuCommandsTest, NewRulePaletteAndSetUp)
{
    press(QKeySequence(QStringLiteral("Ctrl+N")));
    ASSERT_TRUE(model().editing().has_value());
    EXPECT_TRUE(model().editing()->isNew);
    // The editor sheet blocks the window's shortcuts until it is closed.
    ASSERT_NE(app->mainWindow().ruleEditor(), nullptr);
    app->mainWindow().ruleEditor()->reject();
    app->mainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&app->mainWindow()));
    press(QKeySequence(QStringLiteral("Ctrl+K")));
    EXPECT_TRUE(model().showPalette());
    app->commands().action(QStringLiteral("setUp"))->trigger();
    EXPECT_TRUE(model().showOnboarding());
}

TEST_F(MenuCommandsTest, AddFolderAsksForAWatchedFolder)
{
    std::optional<bool> asked;
    model().setFolderChooser([&](bool watched, const QString &) {
        asked = watched;
        return QString();
    });
    press(QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(asked, true);
}

TEST_F(MenuCommandsTest, CheckForUpdatesStaysDisabledWithoutAFeedOrWithATestStore)
{
    EXPECT_FALSE(app->updater().canCheck());
    EXPECT_FALSE(app->commands().action(QStringLiteral("checkForUpdates"))->isEnabled());
    Updater withFeed(QUrl(QStringLiteral("https://filewright.example.org/feed")), false);
    EXPECT_TRUE(withFeed.canCheck());
    Updater testStore(QUrl(QStringLiteral("https://filewright.example.org/feed")), true);
    EXPECT_FALSE(testStore.canCheck());
}

TEST_F(MenuCommandsTest, CopyDiagnosticsReplacesTheClipboard)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    app->commands().action(QStringLiteral("copyDiagnostics"))->trigger();
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Filewright "))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("something else")));
}

TEST_F(MenuCommandsTest, ClosingTheMainWindowKeepsTheApplicationAndItsState)
{
    model().setSidebar(SidebarItem::receipts);
    app->mainWindow().close();
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    app->showMainWindow();
    EXPECT_TRUE(app->mainWindow().isVisible());
    EXPECT_EQ(app->mainWindow().currentPage()->objectName(), QStringLiteral("receiptsPage"));
}

TEST_F(MenuCommandsTest, SettingsWindowFollowsTheModelsTab)
{
    model().setSettingsTab(SettingsTab::names);
    app->openSettings();
    EXPECT_EQ(app->settingsWindow().tabs()->currentIndex(), int(SettingsTab::names));
    app->settingsWindow().tabs()->setCurrentIndex(int(SettingsTab::appearance));
    EXPECT_EQ(model().settingsTab(), SettingsTab::appearance);
}

TEST_F(MenuCommandsTest, TheStartupTaskRunsOncePerProcess)
{
    int runs = 0;
    MainWindow window(model());
    window.setStartupTask([&] { ++runs; });
    window.show();
    window.hide();
    window.show();
    EXPECT_EQ(runs, 1);
}
