// The ring a control the program draws itself wears while it has the keyboard
// focus: two pixels wide, in the accent's shade for text, which stands apart
// from every ground a control sits on (the window, a list, a card) in light
// and dark, by more than the 3:1 a focus indicator needs. The accent's fill
// shade does not: the bright themes on a light window, or a desktop's
// highlight on a dark card, would hide the ring.
#pragma once

#include <QColor>
#include <QList>
#include <QPalette>
#include <QPen>

#include <functional>

class QPainter;
class QRectF;
class QWidget;

namespace FocusRing {

inline constexpr qreal width = 2;
// What a ring round a control takes beside it: its width and a gap of one
// pixel, without which it would merge with a frame or fill of its colour.
inline constexpr int room = int(width) + 1;

// The accent's text shade, moved towards the palette's text colour just as
// far as it takes to stand 4.5:1 apart from the window, a list and a card.
QColor colour(const QPalette &palette);
// A pen of the ring's width and colour.
QPen pen(const QPalette &palette);
// Draws a ring whose outer edge is outside, with corners of the given
// radius along its middle.
void paint(QPainter &painter, const QRectF &outside, const QColor &colour, qreal radius, qreal ringWidth = width);
// The colour of a ring drawn on a fill of its own (a selected row): the
// usual colour where it stands 4.5:1 apart from the fill, else the colour
// of the marks on that fill where they stand 3:1 apart, else black or
// white, whichever stands further.
QColor colourOn(const QPalette &palette, const QColor &fill, const QColor &marks);

// A control that draws its ring itself says so; the style draws none round it.
void drawnByItself(QWidget *control);
bool isDrawnByItself(const QWidget *control);

// A control whose ring another widget draws on itself (a frame round a
// field without one) names that widget; what shows the control's focus is
// then that widget, whole.
void wornBy(QWidget *control, QWidget *wearer);
// The widget that shows control's ring: the one it named, or itself.
const QWidget *wearer(const QWidget *control);

// Contrast of two colours as the web's accessibility rules measure it: 1 for
// equal colours, 21 for black on white.
double contrast(const QColor &a, const QColor &b);
// The grounds a control stands on: the window, a list and a card.
QList<QColor> grounds(const QPalette &palette);
// The least contrast of colour against those grounds.
double contrastOnGrounds(const QColor &colour, const QPalette &palette);
// The first of `steps` even steps from `from` towards `to` that stands at
// least `least` apart from those grounds; `to` when none does.
QColor firstApartOnGrounds(const QColor &from, const QColor &to, double least, int steps, const QPalette &palette);
// The same walk, apart from each of the grounds given.
QColor firstApartFrom(const QColor &from, const QColor &to, double least, int steps, const QList<QColor> &grounds);
// The same walk, to the first colour that reads as the test says; `to`
// when none does.
QColor firstOnTheWay(const QColor &from, const QColor &to, int steps, const std::function<bool(const QColor &)> &reads);

} // namespace FocusRing
