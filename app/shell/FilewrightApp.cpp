#include "FilewrightApp.h"

#include "AppModel.h"
#include "FocusRingStyle.h"
#include "GridOverlay.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "MenuCommands.h"
#include "SeedData.h"
#include "SelfTest.h"
#include "SettingsWindow.h"
#include "Snapshot.h"
#include "Store.h"
#include "Symbols.h"
#include "ThemeStore.h"
#include "Updater.h"
#include "WindowFront.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QSystemTrayIcon>

FilewrightApp::FilewrightApp()
    : FilewrightApp(nullptr)
{
}

FilewrightApp::FilewrightApp(std::unique_ptr<Store> store, TrayCheck hasTray)
{
    // The updater comes first, before the store is opened.
    m_updater = std::make_unique<Updater>(Updater::configuredFeed(), Store::isOverridden());
    m_model = std::make_unique<AppModel>(store ? std::move(store) : Store::makeContainer());
    QApplication::setQuitOnLastWindowClosed(false);
    Symbols::useDesktopIcons();
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("filewright"), QIcon(QStringLiteral(":/filewright.svg"))));
    // The accent theme and the focus ring are worn from the first window on;
    // the store takes the desktop's palettes as the style leaves them.
    FocusRingStyle::install();
    ThemeStore::instance();

    m_mainWindow = std::make_unique<MainWindow>(*m_model);
    GridOverlay::attachIfEnabled(*m_mainWindow);
    m_commands = new MenuCommands(
        *m_mainWindow, *m_model, *m_updater, [this] { openSettings(); }, [this] { showPanelByMainWindow(); });
    m_panel = std::make_unique<MenuBarPanel>(*m_model, [this] { showMainWindow(); });
    m_mainWindow->setStartupTask([this] { startUp(); });
    m_mainWindow->setOpenSettings([this] { openSettings(); });

    if (hasTray ? hasTray() : QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = std::make_unique<QSystemTrayIcon>(QIcon::fromTheme(
            QStringLiteral("filewright-tray-symbolic"), QIcon(QStringLiteral(":/filewright-tray-symbolic.svg"))));
        m_tray->setToolTip(QStringLiteral("Filewright"));
        connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                showPanel();
        });
        m_tray->show();
    }
}

FilewrightApp::~FilewrightApp()
{
    // The self-test and the windows go before the model they use.
    m_selfTest.reset();
    m_snapshot.reset();
    m_settings.reset();
    m_panel.reset();
    m_tray.reset();
    m_mainWindow.reset();
    m_model.reset();
}

SettingsWindow &FilewrightApp::settingsWindow()
{
    if (!m_settings)
        m_settings = std::make_unique<SettingsWindow>(*m_model);
    return *m_settings;
}

void FilewrightApp::startUp()
{
    // A test store is seeded first, so that the test modes find it filled.
    SeedData::insertIfRequested(*m_model);
    // Quit from the event loop, which may not be running yet.
    const auto quit = [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    };
    m_selfTest = SelfTest::runIfRequested(*m_model, QCoreApplication::arguments());
    if (m_selfTest) {
        if (m_selfTest->isFinished())
            quit(); // refused at once
        else
            connect(m_selfTest.get(), &SelfTest::finished, this, quit);
    }
    m_snapshot = Snapshot::runIfRequested(*m_model, [this] { openSettings(); });
    if (m_snapshot) {
        if (m_snapshot->isFinished())
            quit(); // refused at once
        else
            connect(m_snapshot.get(), &Snapshot::finished, this, quit);
    }
}

int FilewrightApp::exitCode(int loopCode) const
{
    if (m_selfTest)
        return m_selfTest->exitCode();
    if (m_snapshot)
        return m_snapshot->exitCode();
    // A self-test that never started has not passed.
    if (SelfTest::isRequested(QCoreApplication::arguments()))
        return 1;
    return loopCode;
}

void FilewrightApp::showMainWindow()
{
    // With a sheet open, the sheet comes with the window and takes the keys.
    WindowFront::bring(m_mainWindow.get());
}

void FilewrightApp::openSettings()
{
    SettingsWindow &settings = settingsWindow();
    settings.show();
    settings.raise();
    settings.activateWindow();
}

void FilewrightApp::showPanel()
{
    m_panel->popUp(QCursor::pos());
}

void FilewrightApp::showPanelByMainWindow()
{
    // The pointer may rest anywhere, far from the window the menu belongs to.
    const QWidget *content = m_mainWindow->centralWidget();
    m_panel->popUp(content->mapToGlobal(QPoint(content->width() / 2, 0)));
}

void FilewrightApp::activate(const QStringList &arguments)
{
    Q_UNUSED(arguments)
    showMainWindow();
}
