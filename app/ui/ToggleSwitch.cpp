#include "ToggleSwitch.h"

#include "ControlEdge.h"
#include "FocusRing.h"
#include "Roles.h"
#include "ThemeStore.h"

#include <QPainter>

namespace {
constexpr QSize switchSize{30, 18};
constexpr int knobMargin = 2;
// Room around the capsule for the focus ring, which stands apart from it by
// a gap: against an accent-filled capsule a ring touching it would vanish.
constexpr int ringRoom = FocusRing::room;
} // namespace

ToggleSwitch::ToggleSwitch(QWidget *parent)
    : QAbstractButton(parent)
{
    FocusRing::drawnByItself(this);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, qOverload<>(&QWidget::update));
}

QSize ToggleSwitch::sizeHint() const
{
    return switchSize + QSize(2 * ringRoom, 2 * ringRoom);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(QPointF(0, 0), QSizeF(switchSize)).translated(
        QPointF((width() - switchSize.width()) / 2.0, (height() - switchSize.height()) / 2.0));
    const qreal radius = track.height() / 2;
    QColor fill = isChecked() ? ThemeStore::instance().theme().accent() : Roles::quaternary(palette());
    if (!isEnabled())
        fill.setAlphaF(fill.alphaF() * 0.5f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);
    // Off, the pale capsule needs an edge to be seen on its ground.
    if (!isChecked() && isEnabled())
        ControlEdge::paint(painter, track, ControlEdge::colour(palette()), radius - 0.5);
    const qreal knob = track.height() - 2 * knobMargin;
    const qreal x = isChecked() ? track.right() - knobMargin - knob : track.left() + knobMargin;
    painter.setBrush(QColor(Qt::white));
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.drawEllipse(QRectF(x, track.top() + knobMargin, knob, knob));
    if (hasFocus())
        FocusRing::paint(painter, track.adjusted(-3, -3, 3, 3), FocusRing::colour(palette()), radius + 2);
}
