// A control that the mouse wheel changes (a picker, a spin box) changes by
// the wheel only once the user has given it the focus, by a click or the
// keyboard. Until then the wheel goes on to what the control lies in: a form
// scrolls on under the pointer, and nothing changes unseen on the way. The
// wheel alone gives such a control no focus.
#pragma once

class QWidget;

namespace WheelAfterFocus {

// From now on, for as long as the control lives.
void keep(QWidget *control);

} // namespace WheelAfterFocus
