#include "FocusRing.h"

#include "Roles.h"
#include "ThemeStore.h"

#include <QPainter>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace FocusRing {

namespace {

// 3:1 is what a focus indicator needs; the margin above it keeps the
// ring's anti-aliased edges apart from the ground as well.
constexpr double least = 4.5;
constexpr double needed = 3;
constexpr char drawnByItselfProperty[] = "focusRingDrawnByItself";
constexpr char wearerProperty[] = "focusRingWearer";

double luminance(const QColor &colour)
{
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    const auto mix = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(float(mix(from.redF(), to.redF())), float(mix(from.greenF(), to.greenF())),
                            float(mix(from.blueF(), to.blueF())));
}

} // namespace

QList<QColor> grounds(const QPalette &palette)
{
    return {palette.color(QPalette::Window), palette.color(QPalette::Base), Roles::secondaryBackground(palette)};
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

namespace {

double weakestContrast(const QColor &colour, const QList<QColor> &grounds)
{
    double found = 21;
    for (const QColor &ground : grounds)
        found = std::min(found, contrast(colour, ground));
    return found;
}

} // namespace

double contrastOnGrounds(const QColor &colour, const QPalette &palette)
{
    return weakestContrast(colour, grounds(palette));
}

QColor firstApartOnGrounds(const QColor &from, const QColor &to, double least, int steps, const QPalette &palette)
{
    return firstApartFrom(from, to, least, steps, grounds(palette));
}

QColor firstApartFrom(const QColor &from, const QColor &to, double least, int steps, const QList<QColor> &grounds)
{
    return firstOnTheWay(from, to, steps,
                         [&](const QColor &colour) { return weakestContrast(colour, grounds) >= least; });
}

QColor firstOnTheWay(const QColor &from, const QColor &to, int steps, const std::function<bool(const QColor &)> &reads)
{
    for (int step = 0; step < steps; ++step) {
        const QColor mix = mixed(from, to, double(step) / steps);
        if (reads(mix))
            return mix;
    }
    return to;
}

QColor colour(const QPalette &palette)
{
    // The text colour itself stands apart from every ground; the ring keeps
    // as much of the accent as it can.
    return firstApartOnGrounds(ThemeStore::instance().theme().accentText(palette).toRgb(),
                               palette.color(QPalette::WindowText).toRgb(), least, 10, palette);
}

QPen pen(const QPalette &palette)
{
    return QPen(colour(palette), width);
}

void paint(QPainter &painter, const QRectF &outside, const QColor &colour, qreal radius, qreal ringWidth)
{
    const qreal middle = ringWidth / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, ringWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outside.adjusted(middle, middle, -middle, -middle), radius, radius);
    painter.restore();
}

QColor colourOn(const QPalette &palette, const QColor &fill, const QColor &marks)
{
    const QColor usual = colour(palette);
    if (contrast(usual, fill) >= least)
        return usual;
    if (contrast(marks, fill) >= needed)
        return marks;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(black, fill) >= contrast(white, fill) ? black : white;
}

void drawnByItself(QWidget *control)
{
    control->setProperty(drawnByItselfProperty, true);
}

bool isDrawnByItself(const QWidget *control)
{
    return control->property(drawnByItselfProperty).toBool();
}

void wornBy(QWidget *control, QWidget *wearer)
{
    control->setProperty(wearerProperty, QVariant::fromValue(QPointer<QWidget>(wearer)));
}

const QWidget *wearer(const QWidget *control)
{
    const QPointer<QWidget> named = control->property(wearerProperty).value<QPointer<QWidget>>();
    return named ? named.data() : control;
}

} // namespace FocusRing
