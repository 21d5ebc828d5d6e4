// The chosen segment of a switch made of segments (a filter's "All | Please
// Check"): filled with the accent's shade for text, and its text in the
// on-accent colour that reads on that fill. A fill alone in the accent's
// own shade would barely differ from the segments beside it in the bright
// themes on a light window and in several themes on a dark one; this fill
// stands 3:1 apart from an unchosen segment and from the window, light and
// dark, in every theme. The application's style draws it (FocusRingStyle)
// for the buttons marked here.
#pragma once

#include <QColor>
#include <QPalette>

class QAbstractButton;
class QStyle;
class QWidget;

namespace ChosenSegment {

// The button is a segment: checked, the style draws it chosen.
void mark(QAbstractButton *segment);
bool isMarked(const QWidget *widget);

// The fill of a chosen segment: the accent's text shade, moved towards the
// palette's text colour as far as it takes to stand 3:1 apart, with some to
// spare, from the window and from a segment not chosen, as the style draws
// that one's face.
QColor fill(const QPalette &palette, const QStyle &style);
// The text on that fill: of the two on-accent colours, white and the near
// black, the one that stands further apart from it.
QColor textOn(const QColor &fill);

} // namespace ChosenSegment
