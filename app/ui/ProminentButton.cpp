#include "ProminentButton.h"

#include "ThemeStore.h"

#include <QStyleOptionButton>
#include <QStylePainter>

ProminentButton::ProminentButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, qOverload<>(&QWidget::update));
}

void ProminentButton::paintEvent(QPaintEvent *)
{
    // The colours are taken at every paint, so the button follows the theme
    // and light or dark without a palette of its own.
    QStyleOptionButton option;
    initStyleOption(&option);
    if (isEnabled()) {
        const Theme theme = ThemeStore::instance().theme();
        const QColor fill = theme.accent();
        const QColor text = theme.shades ? theme.onAccent() : palette().color(QPalette::HighlightedText);
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            option.palette.setColor(group, QPalette::Button, fill);
            option.palette.setColor(group, QPalette::ButtonText, text);
        }
    }
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_PushButton, option);
}
