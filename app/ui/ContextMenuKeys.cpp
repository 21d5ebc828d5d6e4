#include "ContextMenuKeys.h"

#include <QContextMenuEvent>
#include <QKeyEvent>

namespace {
// How long after a key press the window system's context menu event counts as the same press.
constexpr qint64 followUpMs = 500;
} // namespace

ContextMenuKeys::Request ContextMenuKeys::read(const QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        const bool asks = key->key() == Qt::Key_Menu
            || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
        if (!asks)
            return Request::none;
        m_pressed.start();
        return Request::open;
    }
    if (event->type() == QEvent::ContextMenu
        && static_cast<const QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard)
        return m_pressed.isValid() && m_pressed.elapsed() < followUpMs ? Request::repeated : Request::open;
    return Request::none;
}
