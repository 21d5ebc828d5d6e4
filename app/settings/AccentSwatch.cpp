#include "AccentSwatch.h"

#include "FocusRing.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QConicalGradient>
#include <QPainter>

namespace {

// What a screen reader hears of a swatch: a button named after its theme
// that says whether it is the chosen one, and presses like any button.
class SwatchAccessible : public QAccessibleWidget
{
public:
    explicit SwatchAccessible(AccentSwatch *swatch)
        : QAccessibleWidget(swatch, QAccessible::Button)
    {
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = static_cast<const AccentSwatch *>(widget())->isSelected();
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction())
            static_cast<AccentSwatch *>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *swatchAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("AccentSwatch") && object && object->isWidgetType())
        return new SwatchAccessible(static_cast<AccentSwatch *>(object));
    return nullptr;
}

} // namespace

AccentSwatch::AccentSwatch(const Theme &theme, QWidget *parent)
    : QAbstractButton(parent)
    , m_theme(theme)
{
    FocusRing::drawnByItself(this);
    // Before anything asks how the swatch reads (its name does).
    static const bool readable = [] {
        QAccessible::installFactory(swatchAccessible);
        return true;
    }();
    Q_UNUSED(readable);
    setObjectName(theme.id);
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    // Tab reaches it, a click does not move the focus: as the switches.
    setFocusPolicy(Qt::TabFocus);
    // Theme names are never translated.
    setToolTip(theme.name);
    setAccessibleName(theme.name);
}

void AccentSwatch::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void AccentSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(ringRoom, ringRoom, diameter, diameter);
    painter.setPen(Qt::NoPen);
    if (const std::optional<QColor> tint = m_theme.tint()) {
        painter.setBrush(*tint);
    } else {
        // The colour wheel: from 3 o'clock clockwise through red, orange,
        // yellow, green, blue, purple, pink and red again. A conical
        // gradient turns counter-clockwise, so the stops go in from its end.
        QConicalGradient wheel(circle.center(), 0);
        const QColor stops[] = {QColor(0xFF3B30), QColor(0xFF9500), QColor(0xFFCC00), QColor(0x34C759),
                                QColor(0x007AFF), QColor(0xAF52DE), QColor(0xFF2D55), QColor(0xFF3B30)};
        for (int i = 0; i < 8; ++i)
            wheel.setColorAt(1 - i / 7.0, stops[i]);
        painter.setBrush(wheel);
    }
    painter.drawEllipse(circle);
    if (m_selected) {
        painter.setBrush(m_theme.onAccent());
        painter.drawEllipse(QRectF(0, 0, 6, 6).translated(circle.center() - QPointF(3, 3)));
    }
    QColor ring = palette().color(QPalette::WindowText);
    ring.setAlphaF(0.15);
    painter.setPen(QPen(ring, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
    if (hasFocus()) {
        // Apart from the circle by a gap, as the switches draw theirs.
        painter.setPen(FocusRing::pen(palette()));
        painter.drawEllipse(circle.adjusted(-2, -2, 2, 2));
    }
}

bool AccentSwatch::hitButton(const QPoint &position) const
{
    const QPointF offset = QPointF(position) - QRectF(rect()).center();
    return offset.x() * offset.x() + offset.y() * offset.y() <= diameter * diameter / 4.0;
}
