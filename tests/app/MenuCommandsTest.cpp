#include "AppModel.h"
#include "Diagnostics.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "MenuCommands.h"
#include "OnboardingView.h"
#include "ScopedEnv.h"
#include "SettingsWindow.h"
#include "Store.h"
#include "Updater.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
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

TEST_F(MenuCommandsTest, ShowToolbarHidesAndShowsTheToolBarAndNoStatusBarAppears)
{
    QAction *toggle = app->commands().action(QStringLiteral("toggleToolBar"));
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->isChecked());
    QToolBar *bar = app->mainWindow().toolBar();
    EXPECT_TRUE(bar->isVisible());
    toggle->trigger();
    EXPECT_FALSE(bar->isVisible());
    // Hidden by the user, it stays hidden when the status changes.
    model().setCleanUpResult(QStringLiteral("Downloads: 1 file handled"));
    EXPECT_FALSE(bar->isVisible());
    toggle->trigger();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(app->mainWindow().findChild<QStatusBar *>(), nullptr);
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

TEST_F(MenuCommandsTest, CtrlWClosesTheFocusedWindowAndEscapeTheSettings)
{
    const auto activate = [](QWidget *window) {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    };
    // A sheet over the main window is the window to close: it is cancelled.
    model().newRule();
    QDialog *editor = app->mainWindow().ruleEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(activate(editor));
    QTest::keyClick(editor, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(model().editing());
    EXPECT_EQ(app->mainWindow().ruleEditor(), nullptr);

    // So is the command palette, though its search field holds the focus.
    model().setShowPalette(true);
    QDialog *palette = app->mainWindow().commandPalette();
    ASSERT_NE(palette, nullptr);
    ASSERT_TRUE(activate(palette));
    QCoreApplication::processEvents();
    QWidget *search = QApplication::focusWidget();
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->objectName(), QStringLiteral("search"));
    QTest::keyClick(search, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(model().showPalette());
    EXPECT_EQ(app->mainWindow().commandPalette(), nullptr);
    EXPECT_TRUE(app->mainWindow().isVisible());

    // The onboarding has no cancel: on any page Escape and Ctrl+W leave it
    // open and store nothing; its window's close button ends it, storing nothing.
    model().setShowOnboarding(true);
    auto *onboarding = qobject_cast<OnboardingView *>(app->mainWindow().onboarding());
    ASSERT_NE(onboarding, nullptr);
    ASSERT_TRUE(activate(onboarding));
    const QKeyCombination cancelling[] = {QKeyCombination(Qt::Key_Escape),
                                          QKeyCombination(Qt::ControlModifier, Qt::Key_W)};
    for (int step = 0; step < OnboardingView::steps; ++step) {
        for (const QKeyCombination keys : cancelling) {
            QWidget *focused = QApplication::focusWidget();
            QTest::keyClick(focused ? focused : onboarding, keys.key(), keys.keyboardModifiers());
            EXPECT_TRUE(onboarding->isVisible()) << step;
            EXPECT_EQ(onboarding->step(), step);
            EXPECT_TRUE(model().showOnboarding()) << step;
        }
        if (step + 1 < OnboardingView::steps)
            onboarding->findChild<QPushButton *>(QStringLiteral("forward"))->click();
    }
    onboarding->close();
    EXPECT_FALSE(model().showOnboarding());
    EXPECT_EQ(app->mainWindow().onboarding(), nullptr);
    EXPECT_TRUE(model().store().rules().isEmpty());

    // The settings window closes on Ctrl+W and on Escape; the main window
    // stays.
    for (const bool escape : {false, true}) {
        app->openSettings();
        SettingsWindow &settings = app->settingsWindow();
        ASSERT_TRUE(activate(&settings));
        if (escape)
            QTest::keyClick(settings.tabs(), Qt::Key_Escape);
        else
            QTest::keyClick(settings.tabs(), Qt::Key_W, Qt::ControlModifier);
        EXPECT_FALSE(settings.isVisible()) << escape;
        EXPECT_TRUE(app->mainWindow().isVisible());
    }

    // The main window goes to the tray as with its close button, and comes
    // back as it was.
    model().setSidebar(SidebarItem::folders);
    ASSERT_TRUE(activate(&app->mainWindow()));
    QTest::keyClick(&app->mainWindow(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(app->mainWindow().isVisible());
    app->showMainWindow();
    EXPECT_EQ(app->mainWindow().currentPage()->objectName(), QStringLiteral("foldersPage"));
}

TEST_F(MenuCommandsTest, ALinkOrMailThatCannotBeOpenedSaysSo)
{
    // No program to open anything with.
    const QTemporaryDir nothing;
    const ScopedEnv path("PATH", nothing.path().toUtf8());
    const ScopedEnv browser("BROWSER", std::nullopt);
    const ScopedEnv defaultBrowser("DEFAULT_BROWSER", std::nullopt);
    const auto shown = [this]() -> QString {
        auto *box = app->mainWindow().findChild<QMessageBox *>(QStringLiteral("linkNotOpened"));
        if (!box || !box->isVisible())
            return {};
        const QString text = box->text();
        box->accept();
        QTest::qWait(10);
        return text;
    };
    app->commands().action(QStringLiteral("website"))->trigger();
    EXPECT_EQ(shown(), QStringLiteral("No web browser could be opened for %1.")
                           .arg(QLatin1String(Diagnostics::website)));

    app->mainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&app->mainWindow()));
    app->commands().action(QStringLiteral("writeToSupport"))->trigger();
    const QString mail = shown();
    EXPECT_EQ(mail, QStringLiteral("No mail program could be opened to write to %1.")
                        .arg(QLatin1String(Diagnostics::supportAddress)));
}
