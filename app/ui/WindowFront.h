// Brings a window to the front with the keyboard in it. Qt drops every key
// sent to a window that a modal window blocks (a sheet of its own, its
// sheet's sheet, a dialog of the whole application) before any filter sees
// it, so a blocked window that is activated takes no key at all, Quit's
// included. Here the window comes up, and the window that blocks it comes
// above it and takes the keyboard.
#pragma once

class QWidget;

class WindowFront
{
public:
    // Shows the window (out of the tray, or minimized), raises it, and
    // activates it, or the window that blocks it.
    static void bring(QWidget *window);

    // The window that takes the keys when window comes to the front: the
    // modal window that blocks it and is blocked by none, or window itself.
    static QWidget *keyboardWindow(QWidget *window);
};
