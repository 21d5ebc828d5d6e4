#include "ProminentButton.h"

#include "ThemeStore.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>

ProminentButton::ProminentButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setAttribute(Qt::WA_Hover);
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, qOverload<>(&QWidget::update));
}

void ProminentButton::paintEvent(QPaintEvent *)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    if (!isEnabled()) {
        // Disabled, it looks like any disabled button.
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
    const QRectF shape = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QPainterPath path;
    path.addRoundedRect(shape, 5, 5);
    painter.fillPath(path, fill);
    if (hasFocus()) {
        QColor ring = fill;
        ring.setAlphaF(0.45f);
        painter.setPen(QPen(ring, 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    }
    painter.setPen(text);
    painter.setFont(font());
    option.palette.setColor(QPalette::ButtonText, text);
    style()->drawControl(QStyle::CE_PushButtonLabel, &option, &painter, this);
}
