// The main window: the sidebar with the four pages, the page chosen in it,
// a tool bar with the page's own items and a status area that says what the
// automation is doing, and the sheets the AppModel asks for. Which page
// shows and which sheet is open live in the AppModel, so menus, palette and
// panel drive the window too.
#pragma once

#include "SidebarItem.h"

#include <QMainWindow>

#include <QUuid>

#include <functional>
#include <optional>

class AppModel;
class QDialog;
class QLabel;
class QProgressBar;
class QScreen;
class QToolBar;
class QWidgetAction;
class Sidebar;
class SheetSlot;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The window's first and least size where the screen has room for them.
    // On a smaller screen both keep to the room its work area (the screen
    // less its panels) leaves inside the window's frame; the pages scroll
    // what no longer fits.
    static constexpr QSize defaultSize{1100, 720};
    static constexpr QSize minimumSize{820, 520};

    explicit MainWindow(AppModel &model, QWidget *parent = nullptr);

    // Work that runs once, the first time the window is shown (seed data,
    // self-test and screenshot mode, each only when asked for).
    void setStartupTask(std::function<void()> task) { m_startupTask = std::move(task); }
    // How the command palette opens the settings window.
    void setOpenSettings(std::function<void()> open) { m_openSettings = std::move(open); }

    // The page shown now; made anew each time another page is chosen, except
    // the rules page, which is kept while other pages show (a long list of
    // rules is not built again, and a rule being drafted goes on). Its object
    // name is the page's raw value and "Page" ("journalPage"). A page's own
    // actions (QWidget::actions) show in the window's tool bar.
    QWidget *currentPage() const { return m_page; }

    // The tool bar: the page's own items, then the status. It shows while
    // either has something to show, unless the user hid it. Its items are
    // the first Tab stops of the window.
    QToolBar *toolBar() const { return m_toolBar; }
    void setToolBarShown(bool shown);

    // The Journal row's badge: entries waiting for review.
    int reviewBadge() const;
    // The status shown: the clean-up text or "Reading …"; empty for none.
    QString statusText() const;
    bool isReading() const;

    // The sheets open now, or null.
    QDialog *ruleEditor() const;
    QDialog *commandPalette() const;
    QDialog *onboarding() const;

protected:
    // The window's first exposure after it is shown lets the sheets come.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    // The window's own menu of its bars is not offered: the View menu shows
    // and hides them, by names a person reads.
    QMenu *createPopupMenu() override;

private:
    // Every page and sheet is made in one of these.
    QWidget *makePage(SidebarItem item);
    QDialog *makeRuleEditor();
    QDialog *makeCommandPalette();
    QDialog *makeOnboarding();

    // Sizes the window for the screen it is on: its least size always, its
    // size only while it has the first size it was given.
    void fitToScreen();
    void followScreen(QScreen *screen);

    void showPage();
    void refreshBadge();
    void refreshStatus();
    void refreshToolBar();
    // Tab walks the tool bar's items, then the sidebar, then the page.
    void orderTabStops();
    void presentSheets();

    AppModel &m_model;
    Sidebar *m_sidebar = nullptr;
    QWidget *m_detail = nullptr;
    QWidget *m_page = nullptr;
    QWidget *m_rulesPage = nullptr; // kept from its first showing on
    std::optional<SidebarItem> m_pageItem;
    QToolBar *m_toolBar = nullptr;
    bool m_toolBarShown = true;
    QWidgetAction *m_status = nullptr;
    QProgressBar *m_busy = nullptr;
    QLabel *m_reading = nullptr;
    QLabel *m_cleanUp = nullptr;
    SheetSlot *m_editor = nullptr;
    QUuid m_editorFor; // the editing value the open editor shows
    SheetSlot *m_palette = nullptr;
    SheetSlot *m_onboarding = nullptr;
    // Whether the window has been on screen since it was last shown: placed
    // where it stays, so that a sheet can be centred on it.
    bool m_onScreen = false;
    // The size the window was given to start with, which follows the screen
    // until the window is first shown, unless it was sized otherwise.
    QSize m_firstSize;
    bool m_sized = false;
    bool m_shown = false;
    QMetaObject::Connection m_screenArea; // follows the work area of the window's screen
    std::function<void()> m_startupTask;
    std::function<void()> m_openSettings;
};
