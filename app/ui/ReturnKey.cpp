#include "ReturnKey.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

namespace {

bool isReturn(const QKeyEvent *event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

bool ReturnKey::pressFocusedButton(QKeyEvent *event, const QWidget *window)
{
    if (!isReturn(event))
        return false;
    // Check boxes, switches and swatches are not among them: Return on those
    // stays the window's (a dialog's default button).
    QWidget *focused = QApplication::focusWidget();
    QAbstractButton *button = qobject_cast<QPushButton *>(focused);
    if (!button)
        button = qobject_cast<QToolButton *>(focused);
    if (!button || !button->isEnabled() || !button->isVisible() || !window->isAncestorOf(button))
        return false;
    event->accept();
    // A tool button with a menu opens it on the press, as it does for Space.
    button->click();
    return true;
}

bool ReturnKey::belongsToWindow(const QKeyEvent *event, const QWidget *window)
{
    if (!isReturn(event))
        return false;
    const QWidget *focused = QApplication::focusWidget();
    const bool switches = qobject_cast<const QAbstractButton *>(focused) && !qobject_cast<const QPushButton *>(focused)
        && !qobject_cast<const QToolButton *>(focused);
    return switches && window->isAncestorOf(focused);
}
