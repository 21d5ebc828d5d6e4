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

QColor mixed(const QColor &from, const QColor &to, double share)
{
    const auto mix = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(float(mix(from.redF(), to.redF())), float(mix(from.greenF(), to.greenF())),
                            float(mix(from.blueF(), to.blueF())));
}

} // namespace

QColor colour(const QPalette &palette)
{
    // The outline the style draws, and the colour that stands furthest
    // from the grounds: the text's.
    const QColor outline = palette.color(QPalette::Window).darker(140).toRgb();
    const QColor text = palette.color(QPalette::WindowText).toRgb();
    for (int step = 0; step < steps; ++step) {
        const QColor edge = mixed(outline, text, double(step) / steps);
        if (FocusRing::contrastOnGrounds(edge, palette) >= least)
            return edge;
    }
    return text;
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
