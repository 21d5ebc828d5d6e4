// The application: the updater, the one AppModel, the main window with its
// menus, the tray icon with its panel, and the settings window. Closing the
// main window keeps Filewright running (and filing) in the tray.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class AppModel;
class MainWindow;
class MenuBarPanel;
class MenuCommands;
class QSystemTrayIcon;
class SelfTest;
class SettingsWindow;
class Snapshot;
class Store;
class Updater;

class FilewrightApp : public QObject
{
    Q_OBJECT

public:
    // Opens the store (a store that cannot be opened ends the process) and
    // builds the windows; shows nothing yet.
    FilewrightApp();
    // Whether the desktop has a tray to show the icon in.
    using TrayCheck = std::function<bool()>;
    // Over an already opened store (tests, benchmarks); without a check the
    // desktop is asked.
    explicit FilewrightApp(std::unique_ptr<Store> store, TrayCheck hasTray = {});
    ~FilewrightApp() override;

    AppModel &model() const { return *m_model; }
    Updater &updater() const { return *m_updater; }
    MainWindow &mainWindow() const { return *m_mainWindow; }
    MenuCommands &commands() const { return *m_commands; }
    MenuBarPanel &panel() const { return *m_panel; }
    SettingsWindow &settingsWindow();
    bool hasTrayIcon() const { return m_tray != nullptr; }

    // Shows the main window again and brings it to the front; the sheet or
    // dialog that blocks it comes above it with the keyboard.
    void showMainWindow();
    void openSettings();
    // The tray's panel: under the pointer, where the tray icon was clicked,
    // or, opened from the main window's menu by whatever keys or clicks, by
    // that window, under its tool bar.
    void showPanel();
    void showPanelByMainWindow();

    // A second start of Filewright handed its arguments over.
    void activate(const QStringList &arguments);

    // The self-test of this process, when the arguments asked for one.
    SelfTest *selfTest() const { return m_selfTest.get(); }
    // The status the process ends with: the self-test's or the screenshot
    // mode's when one runs, else the event loop's.
    int exitCode(int loopCode) const;

private:
    // The window's start-up task: the test modes, each only when asked for.
    void startUp();

    std::unique_ptr<Updater> m_updater;
    std::unique_ptr<AppModel> m_model;
    std::unique_ptr<MainWindow> m_mainWindow;
    MenuCommands *m_commands = nullptr; // owned by the main window
    std::unique_ptr<MenuBarPanel> m_panel;
    std::unique_ptr<SettingsWindow> m_settings;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<SelfTest> m_selfTest;
    std::unique_ptr<Snapshot> m_snapshot;
};
