#include "GridOverlay.h"

#include "GridProbes.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

bool GridOverlay::enabled()
{
    static const bool value = enabledBy(QProcessEnvironment::systemEnvironment());
    return value;
}

bool GridOverlay::enabledBy(const QProcessEnvironment &environment)
{
    return environment.value(QStringLiteral("APP_GRID")) == QLatin1String("1");
}

void GridOverlay::attachIfEnabled(QWidget &window)
{
    if (enabled())
        new GridOverlay(window, GridProbes::shared());
}

GridOverlay::GridOverlay(QWidget &window, GridProbes &store)
    : QWidget(&window)
    , m_store(store)
{
    setObjectName(QStringLiteral("gridOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(window.rect());
    window.installEventFilter(this);
    connect(&m_store, &GridProbes::changed, this, qOverload<>(&QWidget::update));
    raise();
    show();
}

QList<int> GridOverlay::guides(int width)
{
    QList<int> edges;
    for (int x = 0; x <= width; x += spacing)
        edges.append(x);
    return edges;
}

bool GridOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        else if (event->type() == QEvent::ChildAdded || event->type() == QEvent::LayoutRequest)
            raise(); // stay above widgets added later
    }
    return false;
}

void GridOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QPainterPath strips;
    for (const int x : guides(width()))
        strips.addRect(QRectF(x, 0, 0.5, height()));
    for (const int y : guides(height()))
        strips.addRect(QRectF(0, y, width(), 0.5));
    QColor cyan(Qt::cyan);
    cyan.setAlphaF(0.12f);
    // One fill for every strip: crossings are not darker.
    strips.setFillRule(Qt::WindingFill);
    painter.fillPath(strips, cyan);

    const QPoint origin = mapTo(window(), QPoint(0, 0));
    QFont label = font();
    label.setPointSizeF(9);
    label.setWeight(QFont::Medium);
    painter.setFont(label);
    const QFontMetricsF metrics(label);
    const QList<GridProbes::Probe> probes = m_store.probes(window());
    for (const GridProbes::Probe &probe : probes) {
        const QRectF frame(probe.x - origin.x(), probe.y - origin.y(), probe.width, probe.height);
        if (probe.kind == GridProbes::Kind::area) {
            QColor blue(Qt::blue);
            blue.setAlphaF(0.6f);
            painter.setPen(QPen(blue, 1));
            painter.drawRect(frame);
            blue.setAlphaF(0.35f);
            QPen dashed(blue, 1, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
            dashed.setDashPattern({4, 4});
            dashed.setMiterLimit(10);
            painter.setPen(dashed);
            painter.drawRect(frame.adjusted(probe.inset, probe.inset, -probe.inset, -probe.inset));
        } else {
            QColor pink(255, 45, 85);
            pink.setAlphaF(0.8f);
            painter.setPen(QPen(pink, 1));
            painter.drawRect(frame);
            pink.setAlphaF(1);
            painter.setPen(pink);
            // The name's left end, at half its height, sits just above the
            // top-left corner.
            const QPointF anchor(frame.left() + 2, frame.top() - 6);
            painter.drawText(QPointF(anchor.x(), anchor.y() + (metrics.ascent() - metrics.descent()) / 2), probe.name);
        }
    }
}
