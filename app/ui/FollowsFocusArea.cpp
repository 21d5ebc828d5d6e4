#include "FollowsFocusArea.h"

#include <QApplication>
#include <QScrollBar>

#include <algorithm>

namespace {

// How far a view that starts at viewStart and is viewLength long moves to
// show the span from start of length whole, or its start when the span is
// longer than the view.
int shift(int start, int length, int viewStart, int viewLength)
{
    if (start < viewStart || length > viewLength)
        return start - viewStart;
    return std::max(0, start + length - (viewStart + viewLength));
}

} // namespace

FollowsFocusArea::FollowsFocusArea(QWidget *parent)
    : QScrollArea(parent)
{
    setFocusPolicy(Qt::NoFocus);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now)
            showWhole(now);
    });
}

void FollowsFocusArea::showWhole(const QWidget *control)
{
    const QWidget *content = widget();
    if (!content || !content->isAncestorOf(control))
        return;
    const QRect place(control->mapTo(content, QPoint(0, 0)), control->size());
    const QRect view(content->mapFrom(viewport(), QPoint(0, 0)), viewport()->size());
    QScrollBar *across = horizontalScrollBar();
    across->setValue(across->value() + shift(place.left(), place.width(), view.left(), view.width()));
    QScrollBar *down = verticalScrollBar();
    down->setValue(down->value() + shift(place.top(), place.height(), view.top(), view.height()));
}

bool FollowsFocusArea::focusNextPrevChild(bool next)
{
    // QScrollArea's own would scroll once more, by rules of its own.
    return QWidget::focusNextPrevChild(next);
}
