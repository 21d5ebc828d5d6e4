// The main window: the sidebar with the four pages, the page chosen in it,
// and a status line that says what the automation is doing. Which page shows
// lives in the AppModel, so menus, palette and panel drive the window too.
#pragma once

#include "SidebarItem.h"

#include <QMainWindow>

#include <functional>

class AppModel;
class QLabel;
class QListWidget;
class QStackedWidget;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr QSize defaultSize{1100, 720};
    static constexpr QSize minimumSize{820, 520};

    explicit MainWindow(AppModel &model, QWidget *parent = nullptr);

    // Work that runs once, the first time the window is shown (seed data,
    // self-test and screenshot mode, each only when asked for).
    void setStartupTask(std::function<void()> task) { m_startupTask = std::move(task); }

    // The page widget shown for an item; pages of later features replace the placeholders.
    void setPage(SidebarItem item, QWidget *page);
    QWidget *page(SidebarItem item) const;
    QWidget *currentPage() const;

    // The Journal row's badge: entries waiting for review.
    int reviewBadge() const { return m_reviewCount; }
    QString statusText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showSidebarSelection();
    void refreshBadge();
    void refreshStatus();

    AppModel &m_model;
    QListWidget *m_sidebar = nullptr;
    QStackedWidget *m_pages = nullptr;
    QLabel *m_status = nullptr;
    int m_reviewCount = 0;
    std::function<void()> m_startupTask;
};
