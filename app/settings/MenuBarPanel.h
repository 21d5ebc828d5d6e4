// The small panel that opens from the tray icon: what Filewright did lately,
// whether it is reading right now, how many files wait for a check, and the
// way into the main window. It only reads the journal and follows the store
// and the automation live.
#pragma once

#include "AppModel.h"
#include "Models.h"

#include <QFrame>
#include <QPoint>

#include <functional>
#include <optional>

class FocusPlace;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

class MenuBarPanel : public QFrame
{
    Q_OBJECT

public:
    // How many of the newest entries the panel lists.
    static constexpr int recentCount = 5;
    static constexpr int panelWidth = 340;

    MenuBarPanel(AppModel &model, std::function<void()> openMainWindow, QWidget *parent = nullptr);

    // Shows the panel as a popup at a global position (under the tray icon or
    // the cursor), whole inside the free area of that position's screen; it
    // stays inside while rows come and go.
    void popUp(const QPoint &position);

    // The detail line of an entry: its reading, the folder it went to, or its status.
    static QString line(const JournalEntry &entry);

protected:
    // The frame with an edge that parts the panel from the window it opens
    // over, light and dark, whatever the style draws.
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    void refreshBusy();
    // The first focus when the panel opens: "N to Check", or "Open Filewright" when nothing waits.
    void focusFirst();
    // Moves the panel, at its present size, to the spot popUp() asked for,
    // kept inside the screen's free area (nothing before the first popUp()).
    void place();
    QWidget *row(const JournalEntry &entry);
    // Brings up the journal with that filter in the main window.
    void open(AppModel::JournalFilter filter);

    AppModel &m_model;
    std::function<void()> m_openMainWindow;
    QProgressBar *m_busy = nullptr;
    QLabel *m_empty = nullptr;
    QVBoxLayout *m_rows = nullptr;
    QPushButton *m_toCheck = nullptr;
    QPushButton *m_openButton = nullptr;
    FocusPlace *m_place = nullptr;
    // Where the panel last popped up.
    std::optional<QPoint> m_anchor;
    bool m_refreshQueued = false;
};
