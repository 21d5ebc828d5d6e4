// The frame that wears the focus ring round the focused control. Qt's frame
// shows itself only when it is put on a control that lies in view: a control
// that takes the focus out of view and is scrolled into view after it (a
// scroll area following the focus) would show no ring until the focus moved
// on. This frame shows again as soon as the control, or a widget it lies in,
// moves or changes size into view.
#pragma once

#include <QFocusFrame>

class FocusRingFrame : public QFocusFrame
{
    Q_OBJECT

public:
    using QFocusFrame::QFocusFrame;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
