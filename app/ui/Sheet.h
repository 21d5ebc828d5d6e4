// A sheet: a dialog that belongs to its window and blocks only that window.
// It opens with no text field focused (and keeps the user's field when the
// window merely comes back to the front); Escape and Ctrl+W cancel it and
// Return presses the focused button, or, from anywhere else, its default
// button. It is never wider than its window.
#pragma once

#include <QDialog>

class Sheet : public QDialog
{
    Q_OBJECT

public:
    explicit Sheet(QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
