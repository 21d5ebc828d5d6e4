// The edge of a control that its edge alone shows to be there: an empty
// check or radio box, a text field, a drop-down, a switch that is off. The
// style's own outline is the window colour darkened, which on a dark window
// or a card barely differs from its ground, and on a light one is faint. The
// edge here stands 3:1 apart from every ground a control sits on (the
// window, a list, a card), in light and dark, so that the control can be
// seen for what it is. Disabled controls keep the style's faint edge.
#pragma once

#include <QColor>
#include <QPalette>

class QPainter;
class QRectF;

namespace ControlEdge {

// The style's outline moved towards the palette's text colour just as far
// as it takes to stand 3:1 apart from the window, a list and a card, with a
// little to spare for anti-aliased curves.
QColor colour(const QPalette &palette);
// Draws a one-pixel edge whose outer side is outside, with corners of the
// given radius.
void paint(QPainter &painter, const QRectF &outside, const QColor &colour, qreal radius);

} // namespace ControlEdge
