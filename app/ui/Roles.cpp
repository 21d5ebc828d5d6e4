#include "Roles.h"

#include "Appearance.h"

#include <QApplication>
#include <QWidget>

namespace Roles {

namespace {

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
}

QColor secondary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.55);
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
    return Appearance::isDark(palette) ? palette.color(QPalette::Window).lighter(125) : palette.color(QPalette::Base);
}

} // namespace Roles
