#include "WindowHook.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

WindowHook *WindowHook::install(QWidget *window)
{
    return new WindowHook(window);
}

WindowHook::WindowHook(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    // Qt gives the focus to the first field of a window that activates
    // without a focus widget: the window itself takes it instead.
    if (window->focusPolicy() == Qt::NoFocus)
        window->setFocusPolicy(Qt::ClickFocus);
    window->installEventFilter(this);
    if (window->isVisible())
        clear();
}

bool WindowHook::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (m_pending)
            clear();
        break;
    case QEvent::WindowActivate:
        if (m_pending) {
            m_pending = false;
            clear();
        }
        break;
    case QEvent::Close:
        // Only closing: a window merely hidden (minimized, or put away by
        // the desktop) comes back with the field the user chose.
        m_pending = true;
        break;
    default:
        break;
    }
    return false;
}

void WindowHook::clear()
{
    // After the platform's own focus handling for the show has run.
    QTimer::singleShot(0, m_window, [window = QPointer<QWidget>(m_window)] {
        if (window && window->isVisible())
            window->setFocus(Qt::OtherFocusReason);
    });
}
