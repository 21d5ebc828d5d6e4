// The keyboard's ways to ask for a context menu: the Menu key and Shift+F10
// on the focused widget. A window system may follow the Menu key with a
// context menu event of its own; that event is recognised as the same
// request, so that one press opens one menu.
#pragma once

#include <QElapsedTimer>

class QEvent;

class ContextMenuKeys
{
public:
    enum class Request {
        none,     // not the keyboard asking for a menu
        open,     // open the menu of the focused item
        repeated, // the window system's event after a press already taken: accept and drop it
    };

    // What event asks for. A key press that asks for the menu is remembered.
    Request read(const QEvent *event);

private:
    QElapsedTimer m_pressed;
};
