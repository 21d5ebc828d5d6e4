// The room a window has on the screen it opens on: the screen's work area
// (the screen less its panels) less the window's frame.
#pragma once

#include <QMargins>
#include <QSize>

class QScreen;
class QWidget;

namespace ScreenRoom {

// What a window manager's title bar usually takes, allowed for at least:
// before a window is first on screen its frame is not known.
constexpr int titleBarAllowance = 40;

// The room inside a frame of these margins on the screen's work area.
QSize inside(const QScreen &screen, const QMargins &frame);

// The room for the window on the screen it is on, with its frame where
// that is known and a title bar's allowance at least; empty without a screen.
QSize forWindow(const QWidget &window);

} // namespace ScreenRoom
