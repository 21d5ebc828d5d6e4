#include "FollowsFocusArea.h"

#include "FocusRing.h"

#include <QApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <functional>
#include <utility>

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

// Whether the span shows whole in the view, or its start when it is longer.
bool shows(int start, int length, int viewStart, int viewLength)
{
    const int end = length > viewLength ? start + 1 : start + length;
    return start >= viewStart && end <= viewStart + viewLength;
}

} // namespace

// Tells of every move and resize of the widgets it watches. The area keeps
// its own event filter for QScrollArea, which watches the content with it.
class FollowsFocusArea::Watch : public QObject
{
public:
    Watch(std::function<void()> changed, QObject *parent)
        : QObject(parent)
        , m_changed(std::move(changed))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            m_changed();
        return false;
    }

private:
    std::function<void()> m_changed;
};

FollowsFocusArea::FollowsFocusArea(QWidget *parent)
    : QScrollArea(parent)
    , m_watch(new Watch([this] { placeChanged(); }, this))
{
    setFocusPolicy(Qt::NoFocus);
    viewport()->installEventFilter(m_watch);
    m_focusChanged = connect(qApp, &QApplication::focusChanged, this,
                             [this](QWidget *, QWidget *now) { focusMoved(now); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { scrolled(horizontalScrollBar(), m_across, value); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { scrolled(verticalScrollBar(), m_down, value); });
}

FollowsFocusArea::~FollowsFocusArea()
{
    disconnect(m_focusChanged);
    for (const QPointer<QWidget> &watched : std::as_const(m_watched)) {
        if (watched)
            watched->removeEventFilter(m_watch);
    }
}

void FollowsFocusArea::focusMoved(QWidget *now)
{
    const QWidget *content = widget();
    const bool inside = now && content && content->isAncestorOf(now);
    // The focus left for a menu, another window or none while the window
    // keeps it for the control: the control is still followed.
    if (!inside && m_focus && window()->focusWidget() == m_focus)
        return;
    for (const QPointer<QWidget> &watched : std::as_const(m_watched)) {
        if (watched)
            watched->removeEventFilter(m_watch);
    }
    m_watched.clear();
    m_focus = inside ? now : nullptr;
    m_following = inside;
    if (!inside)
        return;
    for (QWidget *start : {m_focus.data(), const_cast<QWidget *>(FocusRing::wearer(m_focus))}) {
        if (!content->isAncestorOf(start))
            continue;
        for (QWidget *widget = start; widget; widget = widget->parentWidget()) {
            if (!m_watched.contains(widget)) {
                widget->installEventFilter(m_watch);
                m_watched.append(widget);
            }
            if (widget == content)
                break;
        }
    }
    showWhole(m_focus);
}

void FollowsFocusArea::placeChanged()
{
    if (!m_following || m_followPending)
        return;
    // A move is one step of a relayout: the content's size and the scroll
    // range follow in the next steps.
    m_followPending = true;
    QMetaObject::invokeMethod(this, &FollowsFocusArea::followFocus, Qt::QueuedConnection);
}

void FollowsFocusArea::followFocus()
{
    m_followPending = false;
    if (m_following && m_focus)
        showWhole(m_focus);
}

void FollowsFocusArea::scrolled(const QScrollBar *bar, int &last, int value)
{
    const int before = std::exchange(last, value);
    if (m_scrolling || !m_focus)
        return;
    // A range that shrank under the value cut it back: no scrolling of the user's.
    if (before > bar->maximum() || before < bar->minimum())
        return;
    // The user scrolled: the area follows on while the control still shows.
    m_following = showsFocus(m_focus);
}

QRect FollowsFocusArea::focusPlace(const QWidget *control, bool withRoom) const
{
    const QWidget *content = widget();
    const QWidget *shown = FocusRing::wearer(control);
    if (!content->isAncestorOf(shown))
        shown = control;
    const QRect place(shown->mapTo(content, QPoint(0, 0)), shown->size());
    const int room = withRoom ? FocusRing::room : 0;
    return place.marginsAdded(QMargins(room, room, room, room));
}

QRect FollowsFocusArea::view() const
{
    return {widget()->mapFrom(viewport(), QPoint(0, 0)), viewport()->size()};
}

bool FollowsFocusArea::showsFocus(const QWidget *control) const
{
    const QWidget *content = widget();
    if (!content || !content->isAncestorOf(control))
        return false;
    const QRect place = focusPlace(control, false);
    const QRect view = this->view();
    return shows(place.left(), place.width(), view.left(), view.width())
        && shows(place.top(), place.height(), view.top(), view.height());
}

void FollowsFocusArea::showWhole(const QWidget *control)
{
    const QWidget *content = widget();
    if (!content || !content->isAncestorOf(control))
        return;
    // The ring's room where it fits, else the control's own edge.
    const QRect ringed = focusPlace(control, true);
    const QRect bare = focusPlace(control, false);
    const QRect view = this->view();
    const QRect across = ringed.width() <= view.width() ? ringed : bare;
    const QRect down = ringed.height() <= view.height() ? ringed : bare;
    const QScopedValueRollback<bool> scrolling(m_scrolling, true);
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setValue(horizontal->value() + shift(across.left(), across.width(), view.left(), view.width()));
    QScrollBar *vertical = verticalScrollBar();
    vertical->setValue(vertical->value() + shift(down.top(), down.height(), view.top(), view.height()));
}

bool FollowsFocusArea::focusNextPrevChild(bool next)
{
    // QScrollArea's own would scroll once more, by rules of its own.
    return QWidget::focusNextPrevChild(next);
}
