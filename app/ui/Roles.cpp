#include "Roles.h"

#include "Appearance.h"
#include "FocusRing.h"
#include "SecondaryText.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace Roles {

namespace {

// What text needs to read on its ground, and the share more it is given:
// the anti-aliased strokes of small text never reach their colour, and
// show a little less contrast than it has.
constexpr double readable = 4.5;
constexpr double strokes = 1.2;
// Steps from a dimmed colour to the text colour: fine enough that the colour
// stops close to the contrast it needs, and stays dimmer than the text.
constexpr int steps = 40;
// The window text's opacity in the secondary colour, where that reads.
constexpr double secondaryOpacity = 0.55;
constexpr char cardProperty[] = "rolesCard";

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

QFont font(Font role)
{
    QFont result = QApplication::font();
    const qreal body = result.pointSizeF() > 0 ? result.pointSizeF() : 10.0;
    switch (role) {
    case Font::body:
        break;
    case Font::headline:
        result.setWeight(QFont::DemiBold);
        break;
    case Font::callout:
        result.setPointSizeF(body - 1);
        break;
    case Font::caption:
        result.setPointSizeF(std::max(7.0, body - 2));
        break;
    case Font::title3:
        result.setPointSizeF(body + 2);
        break;
    case Font::title2:
        result.setPointSizeF(body + 4);
        result.setWeight(QFont::Bold);
        break;
    }
    return result;
}

void setFont(QWidget *widget, Font role)
{
    widget->setFont(font(role));
}

void setSecondary(QWidget *widget)
{
    widget->setForegroundRole(QPalette::PlaceholderText);
    SecondaryText::follow(widget);
}

QColor secondary(const QPalette &palette)
{
    // More of the text's opacity moves it towards the text on every ground at once.
    const QColor text = palette.color(QPalette::WindowText);
    const QList<QColor> grounds = FocusRing::grounds(palette);
    const auto reads = [&](const QColor &colour) {
        return std::all_of(grounds.cbegin(), grounds.cend(), [&](const QColor &ground) {
            return FocusRing::contrast(over(colour, ground), ground) >= contrastNeeded(text, ground);
        });
    };
    for (int step = 0; step < steps; ++step) {
        const QColor colour = withAlpha(text, text.alphaF() * (secondaryOpacity + (1 - secondaryOpacity) * step / steps));
        if (reads(colour))
            return colour;
    }
    return text;
}

QColor tertiary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.35);
}

QColor quaternary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.2);
}

QColor secondaryBackground(const QPalette &palette)
{
    return secondaryBackground(palette, palette.currentColorGroup());
}

QColor secondaryBackground(const QPalette &palette, QPalette::ColorGroup group)
{
    return Appearance::isDark(palette) ? palette.color(group, QPalette::Window).lighter(125)
                                       : palette.color(group, QPalette::Base);
}

void setCard(QWidget *card)
{
    card->setProperty(cardProperty, true);
}

bool isCard(const QWidget *widget)
{
    return widget->property(cardProperty).toBool();
}

QColor groundOf(const QWidget *widget, QPalette::ColorGroup group)
{
    for (const QWidget *at = widget; at; at = at->parentWidget()) {
        if (isCard(at))
            return secondaryBackground(at->palette(), group);
        const bool fills = at->isWindow() || at->autoFillBackground();
        if (fills && at->backgroundRole() != QPalette::NoRole)
            return at->palette().color(group, at->backgroundRole());
        if (at->isWindow())
            break;
    }
    return (widget ? widget->palette() : QGuiApplication::palette()).color(group, QPalette::Window);
}

double contrastNeeded(const QColor &text, const QColor &ground)
{
    return std::min(readable * strokes, FocusRing::contrast(over(text, ground), ground));
}

QColor readableOn(const QColor &dimmed, const QColor &text, const QColor &ground,
                  const std::function<QColor(const QColor &)> &behind)
{
    const auto behindOf = [&](const QColor &colour) { return behind ? behind(colour) : ground; };
    const double needed = contrastNeeded(text, ground);
    const auto reads = [&](const QColor &colour) {
        const QColor under = behindOf(colour);
        return FocusRing::contrast(over(colour, under), under) >= needed;
    };
    if (reads(dimmed))
        return dimmed;
    return FocusRing::firstOnTheWay(over(dimmed, behindOf(dimmed)).toRgb(), over(text, ground).toRgb(), steps, reads);
}

QColor over(const QColor &colour, const QColor &ground)
{
    const QColor top = colour.toRgb();
    const QColor below = ground.toRgb();
    const float alpha = top.alphaF();
    const auto mix = [alpha](float a, float b) { return a * alpha + b * (1 - alpha); };
    return QColor::fromRgbF(mix(top.redF(), below.redF()), mix(top.greenF(), below.greenF()),
                            mix(top.blueF(), below.blueF()));
}

} // namespace Roles
