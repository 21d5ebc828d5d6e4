// Font and colour roles that every window uses, so that headlines, notes and
// captions look the same everywhere. Sizes follow the application font.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

#include <functional>

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

// Secondary text (notes, descriptions, status): follows the palette, light or
// dark. A widget made secondary wears the desktop's placeholder colour where
// it reads on the ground the widget stands on, in each colour group, and
// otherwise that colour moved towards the text colour just as far as it
// takes to read (readableOn); it follows palette and ground as they change.
void setSecondary(QWidget *widget);
// The window text dimmed, as drawn things (symbols, chips, lines in a list)
// wear it: moved towards the text colour as far as it takes to read on the
// window, a list and a card.
QColor secondary(const QPalette &palette);
QColor tertiary(const QPalette &palette);
QColor quaternary(const QPalette &palette);
// The ground of cards, grouped form sections and input boxes.
QColor secondaryBackground(const QPalette &palette);
QColor secondaryBackground(const QPalette &palette, QPalette::ColorGroup group);

// A widget whose face is a card: what lies on it stands on the secondary background.
void setCard(QWidget *card);
bool isCard(const QWidget *widget);
// The colour a widget is drawn over in that colour group: the card it lies
// on, the list or other filled widget, or its window.
QColor groundOf(const QWidget *widget, QPalette::ColorGroup group);

// How far a text must stand apart from its ground: 4.5:1 with a share to
// spare for the anti-aliased strokes of small text, or as far as the
// palette's own text stands from it where that is less.
double contrastNeeded(const QColor &text, const QColor &ground);
// A dimmed colour as it reads on a ground: itself (translucent as it may
// be) where it stands as far apart as text must, else the first colour on
// the way from it, as it shows there, towards text that does. `behind` gives
// what a colour is drawn over on that ground (a chip's capsule); the ground
// itself by default.
QColor readableOn(const QColor &dimmed, const QColor &text, const QColor &ground,
                  const std::function<QColor(const QColor &)> &behind = {});
// A colour as it shows over a ground.
QColor over(const QColor &colour, const QColor &ground);

} // namespace Roles
