#include "Sheet.h"

#include "ReturnKey.h"
#include "WindowHook.h"

#include <QKeyEvent>

Sheet::Sheet(QWidget *parent)
    : QDialog(parent)
{
    setWindowModality(Qt::WindowModal);
    WindowHook::install(this);
}

void Sheet::keyPressEvent(QKeyEvent *event)
{
    // The window's own Ctrl+W waits while the sheet blocks it: the sheet is
    // the window to close.
    if (event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_W)) {
        reject();
        return;
    }
    // Return on a focused Cancel cancels: only from a field or a list it
    // presses the default button.
    if (ReturnKey::pressFocusedButton(event, this))
        return;
    QDialog::keyPressEvent(event);
}

void Sheet::showEvent(QShowEvent *event)
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner && owner->isVisible()) {
        setMaximumWidth(owner->width());
        if (width() > owner->width())
            resize(owner->width(), height());
    }
    QDialog::showEvent(event);
}
