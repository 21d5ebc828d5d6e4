#include "AccentPreview.h"

#include "Roles.h"
#include "ThemeStore.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

QFont withWeight(QFont font, QFont::Weight weight)
{
    font.setWeight(weight);
    return font;
}

// A check mark inside a square of side size at origin.
void drawCheck(QPainter &painter, const QRectF &box, const QColor &color)
{
    QPainterPath check;
    check.moveTo(box.left() + box.width() * 0.28, box.top() + box.height() * 0.52);
    check.lineTo(box.left() + box.width() * 0.44, box.top() + box.height() * 0.68);
    check.lineTo(box.left() + box.width() * 0.74, box.top() + box.height() * 0.34);
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(check);
}

void drawStar(QPainter &painter, const QRectF &box, const QColor &color)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double radius = (i % 2 == 0 ? 0.5 : 0.22) * box.width();
        const double angle = -M_PI / 2 + i * M_PI / 5;
        star << box.center() + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    painter.setPen(QPen(color, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(star);
}

void drawTray(QPainter &painter, const QRectF &box, const QColor &color)
{
    painter.setPen(QPen(color, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    const QRectF tray = box.adjusted(1, box.height() * 0.35, -1, -1);
    painter.drawRoundedRect(tray, 2, 2);
    painter.drawLine(QPointF(box.center().x(), box.top() + 1), QPointF(box.center().x(), tray.top() + 4));
    painter.drawLine(QPointF(box.center().x() - 3, tray.top() + 1), QPointF(box.center().x(), tray.top() + 4));
    painter.drawLine(QPointF(box.center().x() + 3, tray.top() + 1), QPointF(box.center().x(), tray.top() + 4));
}

} // namespace

AccentPreview::AccentPreview(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("accentPreview"));
    setFixedHeight(previewHeight);
    setMinimumWidth(320);
    setAccessibleName(tr("Preview of the accent color"));
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, qOverload<>(&QWidget::update));
}

void AccentPreview::paintEvent(QPaintEvent *)
{
    const Theme theme = ThemeStore::instance().theme();
    const QPalette &colors = palette();
    const QColor accent = theme.accent();
    const QColor accentText = theme.accentText(colors);
    const QColor onAccent = theme.onAccent();
    const QColor primary = colors.color(QPalette::WindowText);
    const QColor secondary = Roles::secondary(colors);
    const QColor separator = colors.color(QPalette::Mid);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(bounds, 12, 12);
    painter.setClipPath(outline);
    painter.fillPath(outline, colors.color(QPalette::Window));

    // The sidebar.
    const QRectF sidebar(0, 0, sidebarWidth, height());
    painter.fillRect(sidebar, Roles::secondaryBackground(colors));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Roles::quaternary(colors));
    for (int i = 0; i < 3; ++i)
        painter.drawEllipse(QRectF(12 + i * 12, 8, 8, 8));
    const QFont callout = Roles::font(Roles::Font::callout);
    const QFont caption = Roles::font(Roles::Font::caption);
    struct SidebarRow
    {
        QString title;
        void (*symbol)(QPainter &, const QRectF &, const QColor &);
    };
    // The mock's own content is shown as it stands in every language; only
    // the header, the count, the pill and the switch's label are translated.
    const SidebarRow rows[] = {
        {QStringLiteral("Inbox"), drawTray},
        {QStringLiteral("Today"), drawStar},
        {QStringLiteral("Done"),
         [](QPainter &p, const QRectF &box, const QColor &color) {
             p.setPen(QPen(color, 1.2));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
             drawCheck(p, box, color);
         }},
    };
    double y = 24;
    for (int i = 0; i < 3; ++i) {
        const QRectF row(8, y, sidebarWidth - 16, 24);
        const QColor ink = i == 0 ? onAccent : primary;
        if (i == 0) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(accent);
            painter.drawRoundedRect(row, 8, 8);
        }
        rows[i].symbol(painter, QRectF(row.left() + 8, row.center().y() - 6, 12, 12), ink);
        painter.setPen(ink);
        painter.setFont(callout);
        const QRectF titleBox = row.adjusted(26, 0, -8, 0);
        painter.drawText(titleBox, Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetricsF(callout).elidedText(rows[i].title, Qt::ElideRight, titleBox.width()));
        y += 28;
    }
    painter.setPen(QPen(separator, 1));
    painter.drawLine(QPointF(sidebarWidth + 0.5, 0), QPointF(sidebarWidth + 0.5, height()));

    // The list.
    const QRectF content = QRectF(sidebarWidth + 1, 0, width() - sidebarWidth - 1, height()).adjusted(12, 12, -12, -12);
    painter.setFont(Roles::font(Roles::Font::headline));
    painter.setPen(primary);
    const QFontMetricsF headline(painter.font());
    painter.drawText(QPointF(content.left(), content.top() + headline.ascent()), tr("Inbox"));
    painter.setFont(caption);
    painter.setPen(accentText);
    const QFontMetricsF captionMetrics(caption);
    const QString left = tr("1 left");
    painter.drawText(QPointF(content.right() - captionMetrics.horizontalAdvance(left),
                             content.top() + headline.ascent()),
                     left);

    const QFontMetricsF calloutMetrics(callout);
    double taskY = content.top() + headline.height() + 8;
    for (int task = 0; task < 2; ++task) {
        const bool done = task == 0;
        const QRectF row(content.left(), taskY, content.width(), 20);
        const QRectF mark(row.left(), row.center().y() - 7, 14, 14);
        painter.setPen(Qt::NoPen);
        if (done) {
            painter.setBrush(accent);
            painter.drawEllipse(mark);
            drawCheck(painter, mark, Qt::white);
        } else {
            painter.setPen(QPen(Roles::tertiary(colors), 1.2));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(mark.adjusted(0.5, 0.5, -0.5, -0.5));
        }
        double chipWidth = 0;
        if (!done) {
            const QFont chipFont = withWeight(caption, QFont::Medium);
            const QString tag = QStringLiteral("Today");
            chipWidth = QFontMetricsF(chipFont).horizontalAdvance(tag) + 16;
            const QRectF chip(row.right() - chipWidth, row.center().y() - 8, chipWidth, 16);
            QColor fill = accent;
            fill.setAlphaF(0.15);
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawRoundedRect(chip, 8, 8);
            painter.setFont(chipFont);
            painter.setPen(accentText);
            painter.drawText(chip, Qt::AlignCenter, tag);
        }
        QFont titleFont = callout;
        titleFont.setStrikeOut(done);
        painter.setFont(titleFont);
        painter.setPen(done ? secondary : primary);
        const QRectF titleBox = row.adjusted(22, 0, done ? 0 : -chipWidth - 8, 0);
        const QString title = done ? QStringLiteral("Pick a color") : QStringLiteral("Ship the first build");
        painter.drawText(titleBox, Qt::AlignVCenter | Qt::AlignLeft,
                         calloutMetrics.elidedText(title, Qt::ElideRight, titleBox.width()));
        taskY += 20 + 8;
    }

    // The bottom bar: a pill, "Focus" and a switch that is on.
    const QFont pillFont = withWeight(callout, QFont::Medium);
    const QString add = tr("Add Task");
    const double pillWidth = QFontMetricsF(pillFont).horizontalAdvance(add) + 24 + 16;
    const QRectF pill(content.left(), content.bottom() - 24, pillWidth, 24);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawRoundedRect(pill, 12, 12);
    painter.setPen(QPen(onAccent, 1.5, Qt::SolidLine, Qt::RoundCap));
    const QPointF plus(pill.left() + 16, pill.center().y());
    painter.drawLine(plus - QPointF(4, 0), plus + QPointF(4, 0));
    painter.drawLine(plus - QPointF(0, 4), plus + QPointF(0, 4));
    painter.setFont(pillFont);
    painter.drawText(pill.adjusted(26, 0, -12, 0), Qt::AlignVCenter | Qt::AlignLeft, add);

    const QRectF toggle(content.right() - 28, pill.center().y() - 8, 28, 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawRoundedRect(toggle, 8, 8);
    const QRectF knob(toggle.right() - 14, toggle.top() + 2, 12, 12);
    painter.setBrush(QColor(0, 0, 0, 51));
    painter.drawEllipse(knob.translated(0, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);
    painter.setFont(caption);
    painter.setPen(secondary);
    const QString focus = tr("Focus");
    painter.drawText(QPointF(toggle.left() - 8 - captionMetrics.horizontalAdvance(focus),
                             pill.center().y() + captionMetrics.ascent() / 2 - 1),
                     focus);

    painter.setClipping(false);
    painter.setPen(QPen(separator, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}
