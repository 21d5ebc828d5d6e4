// Font and colour roles that every window uses, so that headlines, notes and
// captions look the same everywhere. Sizes follow the application font.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

namespace Roles {

enum class Font {
    body,
    headline, // body, semibold
    callout,  // notes under fields and on cards: 1 pt smaller
    caption,  // chips and small print: 2 pt smaller
    title3,   // 2 pt larger
    title2,   // 4 pt larger, bold: empty states
};

QFont font(Font role);
void setFont(QWidget *widget, Font role);

// Secondary text (notes, descriptions, status): follows the palette, light or dark.
void setSecondary(QWidget *widget);
QColor secondary(const QPalette &palette);
QColor tertiary(const QPalette &palette);
QColor quaternary(const QPalette &palette);
// The ground of cards, grouped form sections and input boxes.
QColor secondaryBackground(const QPalette &palette);

} // namespace Roles
