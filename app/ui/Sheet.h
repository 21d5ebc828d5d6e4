// A sheet: a dialog that belongs to its window and blocks only that window.
// It opens with no text field focused (and keeps the user's field when the
// window merely comes back to the front); Escape and Ctrl+W cancel it and
// Return presses the focused button, or, from anywhere else, its default
// button: from a check box, radio button or switch too, which Return never
// switches. It is never wider than its window.
#pragma once

#include <QDialog>

class Sheet : public QDialog
{
    Q_OBJECT

public:
    explicit Sheet(QWidget *parent);
    ~Sheet() override;

protected:
    // Return on a check box, radio button or switch, before the control
    // takes it as Space (as some desktops' themes have it).
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
