#include "ControlEdge.h"

#include "FocusRing.h"

#include <QPainter>

namespace ControlEdge {

namespace {

// 3:1 is what the edge needs; the margin above it keeps the anti-aliased
// pixels of a round edge (a radio box, a switch's ends) 3:1 apart as well.
constexpr double least = 3.3;
// Steps from the outline to the text colour: fine enough that the edge
// stops close to the contrast it needs, not far past it.
constexpr int steps = 40;

} // namespace

QColor colour(const QPalette &palette)
{
    // The outline the style draws, and the colour that stands furthest
    // from the grounds: the text's.
    return FocusRing::firstApartOnGrounds(palette.color(QPalette::Window).darker(140).toRgb(),
                                          palette.color(QPalette::WindowText).toRgb(), least, steps, palette);
}

void paint(QPainter &painter, const QRectF &outside, const QColor &colour, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outside.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.restore();
}

} // namespace ControlEdge
