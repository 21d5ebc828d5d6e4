#include "ChosenSegment.h"

#include "FocusRing.h"
#include "ThemeStore.h"

#include <QAbstractButton>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolButton>
#include <QVariant>

namespace ChosenSegment {

namespace {

constexpr char segmentProperty[] = "chosenSegmentMarked";
// 3:1 is what tells the chosen segment from the others; the margin keeps
// its anti-aliased corners apart as well.
constexpr double least = 3.5;
// A face large enough for the style's outline and shading, and the inside
// clear of both.
constexpr int faceSide = 24;
constexpr int faceInset = 3;
constexpr int steps = 20;
const QColor nearBlack = QColor::fromRgb(0x16, 0x16, 0x1C);

// The shades of a segment's face as the style draws it, resting and under
// the pointer: Fusion's is lighter than the palette's button colour, and
// shaded from top to bottom.
QList<QColor> faceShades(const QPalette &palette, const QStyle &style)
{
    QList<QColor> shades;
    for (const QStyle::State pointer : {QStyle::State_None, QStyle::State_MouseOver}) {
        QImage face(faceSide, faceSide, QImage::Format_ARGB32_Premultiplied);
        face.fill(palette.color(QPalette::Window));
        QStyleOptionToolButton option;
        option.palette = palette;
        option.rect = face.rect();
        option.state = QStyle::State_Enabled | QStyle::State_Raised | pointer;
        {
            QPainter painter(&face);
            style.drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter);
        }
        for (int y = faceInset; y < faceSide - faceInset; ++y) {
            const QColor shade = face.pixelColor(faceSide / 2, y);
            if (!shades.contains(shade))
                shades.append(shade);
        }
    }
    return shades;
}

} // namespace

void mark(QAbstractButton *segment)
{
    segment->setProperty(segmentProperty, true);
}

bool isMarked(const QWidget *widget)
{
    return widget && widget->property(segmentProperty).toBool();
}

QColor fill(const QPalette &palette, const QStyle &style)
{
    QList<QColor> grounds = faceShades(palette, style);
    grounds.append(palette.color(QPalette::Window));
    return FocusRing::firstApartFrom(ThemeStore::instance().theme().accentText(palette).toRgb(),
                                     palette.color(QPalette::WindowText).toRgb(), least, steps, grounds);
}

QColor textOn(const QColor &fill)
{
    const QColor white(Qt::white);
    return FocusRing::contrast(white, fill) >= FocusRing::contrast(nearBlack, fill) ? white : nearBlack;
}

} // namespace ChosenSegment
