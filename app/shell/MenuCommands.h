// The menu bar's commands. A command never touches a page: it sets the
// AppModel's state or calls a service, and the windows follow.
#pragma once

#include <QKeySequence>
#include <QObject>

#include <functional>

class AppModel;
class QAction;
class QMenu;
class QMainWindow;
class Updater;

class MenuCommands : public QObject
{
    Q_OBJECT

public:
    // Builds the File, View, Go and Help menus on the window's menu bar.
    // openSettings shows the settings window, showPanel the tray's panel
    // (a tray icon cannot take the keyboard focus on every desktop, so the
    // Go menu offers the panel whether or not a tray exists).
    MenuCommands(QMainWindow &window, AppModel &model, Updater &updater, std::function<void()> openSettings,
                 std::function<void()> showPanel);
    ~MenuCommands() override;

    // The command with this object name ("newRule", "goRules", "checkForUpdates", …).
    QAction *action(const QString &name) const;

protected:
    // Quit's keys wherever the menu's shortcut does not reach.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAction *add(QMenu *menu, const QString &name, const QString &title, const QKeySequence &shortcut,
                 std::function<void()> trigger);

    QMainWindow &m_window;
    QAction *m_quit = nullptr;
};
