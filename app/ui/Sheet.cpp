#include "Sheet.h"

#include "ReturnKey.h"
#include "ScreenRoom.h"
#include "WindowHook.h"

#include <QKeyEvent>
#include <QWindow>

#include <algorithm>

Sheet::Sheet(QWidget *parent)
    : QDialog(parent)
{
    setWindowModality(Qt::WindowModal);
    WindowHook::install(this);
}

Sheet::~Sheet()
{
    if (QWindow *window = windowHandle())
        window->removeEventFilter(this);
}

bool Sheet::eventFilter(QObject *watched, QEvent *event)
{
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (watched != windowHandle() || !key || !ReturnKey::belongsToWindow(static_cast<QKeyEvent *>(event), this))
        return QDialog::eventFilter(watched, event);
    // The control sees neither the press nor the letting go.
    if (event->type() == QEvent::KeyPress)
        keyPressEvent(static_cast<QKeyEvent *>(event));
    return true;
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
    // A sheet taller than the screen's work area (a small screen, a large
    // scale) keeps to it: its content scrolls, its buttons stay on screen.
    const QSize room = ScreenRoom::forWindow(owner ? *owner : *this);
    if (!room.isEmpty() && height() > room.height()) {
        setMinimumHeight(std::min(minimumHeight(), room.height()));
        setMaximumHeight(room.height());
        resize(width(), room.height());
    }
    // Keys reach the window before its focused control.
    if (QWindow *window = windowHandle())
        window->installEventFilter(this);
    QDialog::showEvent(event);
}
