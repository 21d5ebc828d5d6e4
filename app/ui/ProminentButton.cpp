#include "ProminentButton.h"

#include "FocusRing.h"
#include "ThemeStore.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {
// Round the fill: the focus ring, and a gap of one pixel between the two.
constexpr int ringRoom = FocusRing::room;
// What the button grows by on every side beyond a push button's size, so
// that its fill stays about as large as a push button's frame.
constexpr int growth = ringRoom - 1;
constexpr qreal radius = 5;
} // namespace

ProminentButton::ProminentButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    FocusRing::drawnByItself(this);
    setAttribute(Qt::WA_Hover);
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, qOverload<>(&QWidget::update));
}

QSize ProminentButton::sizeHint() const
{
    return QPushButton::sizeHint().grownBy(QMargins(growth, growth, growth, growth));
}

void ProminentButton::paintEvent(QPaintEvent *)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    if (!isEnabled()) {
        // Disabled, it looks like any disabled button of its size.
        option.rect = rect().marginsRemoved(QMargins(growth, growth, growth, growth));
        QStylePainter(this).drawControl(QStyle::CE_PushButton, option);
        return;
    }
    // The colours are taken at every paint, so the button follows the theme
    // and light or dark without a palette of its own.
    const Theme theme = ThemeStore::instance().theme();
    QColor fill = theme.accent();
    if (isDown())
        fill = fill.darker(115);
    else if (underMouse())
        fill = fill.lighter(108);
    const QColor text = theme.shades ? theme.onAccent() : palette().color(QPalette::HighlightedText);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(ringRoom, ringRoom, -ringRoom, -ringRoom);
    QPainterPath path;
    path.addRoundedRect(shape, radius, radius);
    painter.fillPath(path, fill);
    if (hasFocus())
        FocusRing::paint(painter, rect(), FocusRing::colour(palette()), radius + ringRoom - FocusRing::width / 2);
    painter.setPen(text);
    painter.setFont(font());
    option.palette.setColor(QPalette::ButtonText, text);
    style()->drawControl(QStyle::CE_PushButtonLabel, &option, &painter, this);
}
