#include "TabOrder.h"

#include <QSet>
#include <QWidget>

namespace TabOrder {

void chain(const QList<QWidget *> &stops)
{
    if (stops.size() < 2)
        return;
    // Tab goes round the window's order as a ring that starts at the window,
    // and Qt leaves a stop where it is when it already follows the one asked
    // for round the ring: a run whose start lies behind its end would stay
    // so. So the run is chained on from the nearest other stop before the
    // first of its stops, or from that stop itself.
    QWidget *window = stops.constFirst()->window();
    const QSet<const QWidget *> own(stops.cbegin(), stops.cend());
    QWidget *previous = nullptr;
    for (QWidget *widget = window->nextInFocusChain(); widget != window; widget = widget->nextInFocusChain()) {
        if (own.contains(widget)) {
            if (!previous)
                previous = widget;
            break;
        }
        if (widget->focusPolicy() & Qt::TabFocus)
            previous = widget;
    }
    for (QWidget *stop : stops) {
        if (previous)
            QWidget::setTabOrder(previous, stop);
        previous = stop;
    }
}

} // namespace TabOrder
