#include "ChosenSegment.h"

#include "FocusRing.h"
#include "ThemeStore.h"

#include <QAbstractButton>
#include <QVariant>

namespace ChosenSegment {

namespace {

constexpr char segmentProperty[] = "chosenSegmentMarked";
// 3:1 is what tells the chosen segment from the others; the margin covers
// the shading the style gives a button's face.
constexpr double least = 3.5;
constexpr int steps = 20;
const QColor nearBlack = QColor::fromRgb(0x16, 0x16, 0x1C);

} // namespace

void mark(QAbstractButton *segment)
{
    segment->setProperty(segmentProperty, true);
}

bool isMarked(const QWidget *widget)
{
    return widget && widget->property(segmentProperty).toBool();
}

QColor fill(const QPalette &palette)
{
    return FocusRing::firstApartFrom(ThemeStore::instance().theme().accentText(palette).toRgb(),
                                     palette.color(QPalette::WindowText).toRgb(), least, steps,
                                     {palette.color(QPalette::Window), palette.color(QPalette::Button)});
}

QColor textOn(const QColor &fill)
{
    const QColor white(Qt::white);
    return FocusRing::contrast(white, fill) >= FocusRing::contrast(nearBlack, fill) ? white : nearBlack;
}

} // namespace ChosenSegment
