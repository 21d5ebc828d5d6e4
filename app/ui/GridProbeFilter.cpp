#include "GridProbeFilter.h"

#include <QEvent>
#include <QWidget>

GridProbeFilter::GridProbeFilter(QWidget *widget, const GridProbes::Probe &shape, GridProbes &store)
    : QObject(widget)
    , m_widget(widget)
    , m_shape(shape)
    , m_store(&store)
{
    widget->installEventFilter(this);
    watchParents();
    if (widget->isVisible())
        report();
}

GridProbeFilter::~GridProbeFilter()
{
    withdraw();
}

bool GridProbeFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        if (m_widget->isVisible())
            report();
        break;
    case QEvent::Hide:
        if (watched == m_widget)
            withdraw();
        break;
    case QEvent::ParentChange:
        if (watched == m_widget || m_parents.contains(qobject_cast<QWidget *>(watched))) {
            watchParents();
            if (m_widget->isVisible())
                report();
        }
        break;
    default:
        break;
    }
    return false;
}

void GridProbeFilter::report()
{
    if (!m_store)
        return;
    QWidget *window = m_widget->window();
    const QPoint corner = m_widget->mapTo(window, QPoint(0, 0));
    GridProbes::Probe probe = m_shape;
    probe.x = corner.x();
    probe.y = corner.y();
    probe.width = m_widget->width();
    probe.height = m_widget->height();
    m_store->update(probe, m_owner, window);
}

void GridProbeFilter::withdraw()
{
    if (m_store)
        m_store->remove(m_shape.kind, m_shape.name, m_owner);
}

void GridProbeFilter::watchParents()
{
    for (const QPointer<QWidget> &parent : std::as_const(m_parents)) {
        if (parent)
            parent->removeEventFilter(this);
    }
    m_parents.clear();
    // A parent that moves moves the widget within its window; the window
    // itself moving on the screen does not.
    for (QWidget *parent = m_widget->parentWidget(); parent && !m_widget->isWindow(); parent = parent->parentWidget()) {
        if (parent->isWindow())
            break;
        parent->installEventFilter(this);
        m_parents.append(parent);
    }
}

void gridArea(QWidget *widget, const QString &name, double inset)
{
    if (!GridProbes::enabled() || !widget)
        return;
    new GridProbeFilter(widget, GridProbes::Probe{GridProbes::Kind::area, name, name, std::nullopt, inset}, GridProbes::shared());
}

void gridProbe(QWidget *widget, const QString &name, const QString &area, const std::optional<QString> &edge)
{
    if (!GridProbes::enabled() || !widget)
        return;
    new GridProbeFilter(widget, GridProbes::Probe{GridProbes::Kind::probe, name, area, edge, 0}, GridProbes::shared());
}
