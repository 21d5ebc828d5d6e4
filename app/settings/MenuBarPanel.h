// The small panel that opens from the tray icon: a glance at what Filewright
// did lately, and the way back to the main window.
#pragma once

#include <QFrame>

#include <functional>

class AppModel;

class MenuBarPanel : public QFrame
{
    Q_OBJECT

public:
    MenuBarPanel(AppModel &model, std::function<void()> openMainWindow, QWidget *parent = nullptr);

    // Shows the panel as a popup at a global position (under the tray icon or the cursor).
    void popUp(const QPoint &position);

private:
    AppModel &m_model;
};
