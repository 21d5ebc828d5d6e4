#include "RowListArea.h"

#include "FocusRing.h"

#include <QEvent>
#include <QPainter>

namespace {

// The ring's width, kept free around the rows so that they never cover it.
constexpr int ring = int(FocusRing::width);

} // namespace

RowListArea::RowListArea(QWidget *parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setViewportMargins(ring, ring, ring, ring);
}

bool RowListArea::event(QEvent *event)
{
    const bool handled = QScrollArea::event(event);
    if (event->type() == QEvent::Paint && hasFocus()) {
        QPainter painter(this);
        FocusRing::paint(painter, rect(), FocusRing::colour(palette()), 4);
    }
    return handled;
}

void RowListArea::focusInEvent(QFocusEvent *event)
{
    QScrollArea::focusInEvent(event);
    update();
}

void RowListArea::focusOutEvent(QFocusEvent *event)
{
    QScrollArea::focusOutEvent(event);
    update();
}
