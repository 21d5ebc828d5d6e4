// Return and Enter on a focused button press that button, as Space does:
// in a dialog they press it rather than the dialog's default button, and in
// a window without a default button they press it too. A window reads the
// keys its buttons leave in its keyPressEvent(); fields, lists and pickers
// keep their own meaning of Return. Check boxes, radio buttons and switches
// have none: Return on them is the window's, whatever keys the desktop's
// theme lets press a button (Space, and on some desktops Return).
#pragma once

class QKeyEvent;
class QWidget;

class ReturnKey
{
public:
    // When event is Return or Enter and the focused widget is a push or tool
    // button inside window, the button is pressed and the event taken (true).
    static bool pressFocusedButton(QKeyEvent *event, const QWidget *window);

    // Whether event is Return or Enter on a focused check box, radio button
    // or switch inside window, which would take it as Space where the theme
    // says so: the window's own keyPressEvent() is to have it instead.
    static bool belongsToWindow(const QKeyEvent *event, const QWidget *window);
};
