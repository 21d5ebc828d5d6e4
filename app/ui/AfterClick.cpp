#include "AfterClick.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>

#include <utility>

AfterClick::AfterClick(QObject *parent)
    : QObject(parent)
{
}

AfterClick::~AfterClick()
{
    stopWatching();
}

void AfterClick::run(std::function<void()> change)
{
    if (QGuiApplication::mouseButtons() == Qt::NoButton) {
        m_waiting = nullptr;
        stopWatching();
        change();
        return;
    }
    m_waiting = std::move(change);
    if (!m_watching) {
        m_watching = true;
        QCoreApplication::instance()->installEventFilter(this);
    }
}

bool AfterClick::eventFilter(QObject *watched, QEvent *event)
{
    // The release of the last button makes the change before the release
    // reaches its widget; a layout moves its widgets only on a later turn of
    // the event loop, so the release still finds the button it pressed.
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->buttons() == Qt::NoButton) {
        stopWatching();
        if (const std::function<void()> change = std::exchange(m_waiting, nullptr))
            change();
    }
    return QObject::eventFilter(watched, event);
}

void AfterClick::stopWatching()
{
    if (!std::exchange(m_watching, false))
        return;
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeEventFilter(this);
}
