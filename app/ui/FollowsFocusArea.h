// A scroll area that keeps the control with the keyboard focus in view.
// Whenever a control inside it takes the focus, by whatever way (Tab from
// inside or outside the area, a shortcut, the program, a click, its window
// becoming active again), the area scrolls so that the control shows whole;
// a control taller or wider than the view shows its top or left edge.
//
// The area itself draws no focus and takes none: Tab goes straight to the
// controls in it.
#pragma once

#include <QScrollArea>

class FollowsFocusArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit FollowsFocusArea(QWidget *parent = nullptr);

protected:
    // Tab inside the area only moves the focus; the area scrolls as for any
    // other way the focus comes.
    bool focusNextPrevChild(bool next) override;

private:
    // Scrolls so that control, when it is inside the area's content, shows
    // whole, or its top left corner when it is larger than the view.
    void showWhole(const QWidget *control);
};
