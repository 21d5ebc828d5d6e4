// The keyboard's ways to ask for a context menu: the Menu key and Shift+F10
// on the focused widget. A window system may follow the Menu key with a
// context menu event of its own; that event is recognised as the same
// request, so that one press opens one menu. A menu the keyboard asks for
// opens at the focused item, inside the part of the window that shows it.
#pragma once

#include <QElapsedTimer>
#include <QPoint>

#include <functional>

class QEvent;
class QKeyEvent;
class QWidget;

class ContextMenuKeys
{
public:
    enum class Request {
        none,     // not the keyboard asking for a menu
        open,     // open the menu of the focused item
        repeated, // the window system's event after a press already taken: accept and drop it
    };

    // Whether key is one of the keys that ask for a context menu.
    static bool asksForMenu(const QKeyEvent &key);
    // What event asks for. A key press that asks for the menu is remembered.
    Request read(const QEvent *event);

    // For a widget whose menu opens from anywhere inside it, read in its
    // event(): when event asks for the menu, show is called with the
    // mouse's global position, or a null point when the keyboard asked, and
    // the event is taken (true). A focused text field keeps the keys for its
    // own edit menu.
    bool take(const QEvent *event, const std::function<void(QPoint globalPosition)> &show);

    // The global position for a menu of widget at point (in the widget's
    // coordinates), moved into the part of the widget that shows.
    static QPoint shownPosition(const QWidget *widget, QPoint point);
    // The global position for a menu the keyboard asked for on owner: under
    // the focused widget when it lies inside owner, else at fallback (in
    // owner's coordinates); in the part of owner that shows.
    static QPoint atFocus(const QWidget *owner, QPoint fallback);

private:
    QElapsedTimer m_pressed;
};
