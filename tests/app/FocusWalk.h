// Walking a window by keyboard: where Tab should go, as the controls stand
// on screen, and where real Tab and Shift+Tab presses take the focus.
#pragma once

#include <QList>
#include <QWidget>

#include <string>

namespace FocusWalk {

// The controls Tab should reach in window, in the order seen on screen:
// region after region as given (a control belongs to the first region that
// holds it, so the window itself, given last, takes the rest), within a
// region top to bottom, and each line left to right. A segmented picker (an
// exclusive group of checkable buttons) is one stop, on its checked segment.
QList<QWidget *> onScreen(QWidget *window, const QList<QWidget *> &regions);

// Where Tab (forward) or Shift+Tab takes the focus, one press after the
// other, starting from start; expects each control reached to be in view.
QList<QWidget *> walk(QWidget *start, bool forward, qsizetype steps);

// True when widget shows whole in every scroll area around it, or, where it
// is taller or wider than an area's view, its top left corner stands at the
// view's. With room, the widget and that much round it (a focus ring) show
// whole where they fit in the view.
bool inView(const QWidget *widget, int room = 0);

// True for a widget that shows nothing when it has the focus: a bare
// widget, frame or scroll area (but a list of rows, which draws its ring).
bool drawsNoFocus(const QWidget *widget);

// The object names (or class names) of widgets, for a failure's message.
std::string names(const QList<QWidget *> &widgets);

// Checks, as a GoogleTest expectation, that Tab and Shift+Tab from the first
// control on screen go round the controls in their screen order, and that
// none of them draws no focus. step names the state in the failure message.
void expectScreenOrder(QWidget *window, const QList<QWidget *> &regions, const char *step);

} // namespace FocusWalk
