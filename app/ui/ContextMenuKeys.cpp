#include "ContextMenuKeys.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

namespace {
// How long after a key press the window system's context menu event counts as the same press.
constexpr qint64 followUpMs = 500;

bool fromKeyboard(const QEvent *event)
{
    return event->type() == QEvent::KeyPress
        || (event->type() == QEvent::ContextMenu
            && static_cast<const QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard);
}

// A field the user types into, which has an edit menu of its own.
bool isTextField(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget)
        || qobject_cast<const QTextEdit *>(widget) || qobject_cast<const QPlainTextEdit *>(widget);
}
} // namespace

bool ContextMenuKeys::asksForMenu(const QKeyEvent &key)
{
    return key.key() == Qt::Key_Menu || (key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier);
}

ContextMenuKeys::Request ContextMenuKeys::read(const QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        if (!asksForMenu(*static_cast<const QKeyEvent *>(event)))
            return Request::none;
        m_pressed.start();
        return Request::open;
    }
    if (event->type() == QEvent::ContextMenu
        && static_cast<const QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)
        return m_pressed.isValid() && m_pressed.elapsed() < followUpMs ? Request::repeated : Request::open;
    return Request::none;
}

bool ContextMenuKeys::take(const QEvent *event, const std::function<void(QPoint globalPosition)> &show)
{
    if (fromKeyboard(event) && isTextField(QApplication::focusWidget()))
        return false;
    switch (read(event)) {
    case Request::open:
        show({});
        return true;
    case Request::repeated:
        return true;
    case Request::none:
        break;
    }
    if (event->type() == QEvent::ContextMenu) {
        show(static_cast<const QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return false;
}

QPoint ContextMenuKeys::shownPosition(const QWidget *widget, QPoint point)
{
    // The widget's rectangle, clipped by every widget around it up to its window.
    QRect shown = widget->rect();
    for (const QWidget *outer = widget; !outer->isWindow() && outer->parentWidget();) {
        outer = outer->parentWidget();
        shown &= QRect(widget->mapFrom(outer, QPoint(0, 0)), outer->size());
    }
    if (!shown.isEmpty())
        point = QPoint(std::clamp(point.x(), shown.left(), shown.right()),
                       std::clamp(point.y(), shown.top(), shown.bottom()));
    return widget->mapToGlobal(point);
}

QPoint ContextMenuKeys::atFocus(const QWidget *owner, QPoint fallback)
{
    const QWidget *focus = QApplication::focusWidget();
    if (focus && owner->isAncestorOf(focus))
        return shownPosition(owner, focus->mapTo(owner, QPoint(0, focus->height())));
    return shownPosition(owner, fallback);
}
