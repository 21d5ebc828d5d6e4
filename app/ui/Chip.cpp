#include "Chip.h"

#include "Roles.h"
#include "Symbols.h"
#include "ThemeStore.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 2;
constexpr int spacing = 4;
constexpr double fillOpacity = 0.12;
} // namespace

Chip::Chip(const QString &text, const QString &symbol, QWidget *parent)
    : QWidget(parent)
    , m_text(text)
    , m_symbol(symbol)
{
    setFont(Roles::font(Roles::Font::caption));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Chip::setText(const QString &text)
{
    m_text = text;
    changed();
}

void Chip::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    changed();
}

void Chip::setTint(const std::optional<QColor> &tint)
{
    if (m_followsAccent)
        disconnect(&ThemeStore::instance(), &ThemeStore::changed, this, nullptr);
    m_followsAccent = false;
    m_tint = tint;
    update();
}

void Chip::setAccentTint()
{
    if (!m_followsAccent)
        connect(&ThemeStore::instance(), &ThemeStore::changed, this, qOverload<>(&QWidget::update));
    m_followsAccent = true;
    m_tint.reset();
    update();
}

QColor Chip::tint() const
{
    if (m_followsAccent)
        return ThemeStore::instance().theme().accentText(palette());
    if (m_tint)
        return *m_tint;
    // The secondary colour, on this chip's capsule over the ground it lies on.
    const QPalette::ColorGroup group = palette().currentColorGroup();
    const QColor ground = Roles::groundOf(this, group);
    return Roles::readableOn(Roles::secondary(palette()), palette().color(group, QPalette::WindowText), ground,
                             [&ground](const QColor &tint) { return capsule(tint, ground); });
}

QColor Chip::capsule(const QColor &tint, const QColor &ground)
{
    // The faint tint as it is painted: its opacity in 255ths.
    QColor fill = tint;
    fill.setAlphaF(float(tint.alphaF() * fillOpacity));
    const double share = fill.alpha() / 255.0;
    const auto mix = [share](int below, int over) { return qRound(below + (over - below) * share); };
    const QColor t = tint.toRgb();
    const QColor g = ground.toRgb();
    return QColor(mix(g.red(), t.red()), mix(g.green(), t.green()), mix(g.blue(), t.blue()));
}

QSize Chip::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int line = metrics.height();
    int width = metrics.horizontalAdvance(m_text) + 2 * horizontalPadding;
    if (!m_symbol.isEmpty())
        width += line + spacing;
    return {width, line + 2 * verticalPadding};
}

void Chip::paintEvent(QPaintEvent *)
{
    const QColor colour = tint();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = colour;
    fill.setAlphaF(float(colour.alphaF() * fillOpacity));
    QPainterPath path;
    path.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
    painter.fillPath(path, fill);

    const QFontMetrics metrics(font());
    const int line = metrics.height();
    int x = horizontalPadding;
    if (!m_symbol.isEmpty()) {
        const int side = line - 2;
        const QPixmap symbol = Symbols::tinted(m_symbol, side, colour, devicePixelRatioF());
        painter.drawPixmap(QPoint(x, (height() - side) / 2), symbol);
        x += line + spacing;
    }
    painter.setPen(colour);
    const QRect textRect(x, 0, width() - x - horizontalPadding + 1, height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     metrics.elidedText(m_text, Qt::ElideRight, textRect.width()));
}

void Chip::changed()
{
    updateGeometry();
    update();
}
