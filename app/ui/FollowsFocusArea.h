// A scroll area that keeps the control with the keyboard focus in view.
// Whenever a control inside it takes the focus, by whatever way (Tab from
// inside or outside the area, a shortcut, the program, a click, its window
// becoming active again), the area scrolls so that what shows the focus is
// whole: the control with the room its ring takes round it, or the widget
// that wears its ring (FocusRing::wornBy). What is taller or wider than the
// view shows its top or left edge.
//
// The control stays in view when it moves or the content changes round it
// (its card moved, a row added, moved or removed, the content or the view
// grown or shrunk), also while a menu or another window has the keyboard
// and the window keeps the control's focus: the area follows it, unless the
// user scrolled it out of view (wheel, scroll bar), where it stays until it
// takes the focus again.
//
// The area itself draws no focus and takes none: Tab goes straight to the
// controls in it.
#pragma once

#include <QList>
#include <QPointer>
#include <QScrollArea>

class QScrollBar;

class FollowsFocusArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit FollowsFocusArea(QWidget *parent = nullptr);
    // Stops listening before the members go: the focused control among the
    // children that ~QWidget deletes still tells the application of its
    // focus leaving.
    ~FollowsFocusArea() override;

protected:
    // Tab inside the area only moves the focus; the area scrolls as for any
    // other way the focus comes.
    bool focusNextPrevChild(bool next) override;

private:
    class Watch;

    // The focus went to now: the area shows it whole and watches it while it
    // is inside the content.
    void focusMoved(QWidget *now);
    // The focused control, one of the widgets it lies in, or the view moved
    // or changed size: once the layout has settled, the area follows it.
    void placeChanged();
    void followFocus();
    // A scroll bar's value moved from last to value: by the user, unless the
    // area did it or a shorter range cut it back.
    void scrolled(const QScrollBar *bar, int &last, int value);
    // The rectangle that shows control's focus, in the content's
    // coordinates, with or without the ring's room round it.
    QRect focusPlace(const QWidget *control, bool withRoom) const;
    QRect view() const;
    // Whether the control shows whole, or its top left corner when it is
    // larger than the view.
    bool showsFocus(const QWidget *control) const;
    // Scrolls so that what shows control's focus is whole, when it is inside
    // the area's content.
    void showWhole(const QWidget *control);

    Watch *m_watch = nullptr;
    QMetaObject::Connection m_focusChanged;
    QPointer<QWidget> m_focus;
    // The widgets watched for moves: the focused control, the widget that
    // wears its ring, and those they lie in, up to the content.
    QList<QPointer<QWidget>> m_watched;
    // Whether the area keeps m_focus in view: from when it takes the focus
    // until the user scrolls it out of view.
    bool m_following = false;
    bool m_followPending = false;
    bool m_scrolling = false;
    int m_across = 0;
    int m_down = 0;
};
