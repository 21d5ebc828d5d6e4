#include "LineLimitedLabel.h"

#include <QPainter>
#include <QTextLayout>

namespace {
// In average characters: the preferred width, and the least.
constexpr int preferredColumns = 60;
constexpr int leastColumns = 12;
} // namespace

LineLimitedLabel::LineLimitedLabel(int maximumLines, QWidget *parent)
    : QLabel(parent)
    , m_maximumLines(std::max(1, maximumLines))
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QStringList LineLimitedLabel::shownLines(int width) const
{
    const QString shown = text();
    if (shown.isEmpty() || width <= 0)
        return shown.isEmpty() ? QStringList() : QStringList{shown};
    QTextLayout layout(shown, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == m_maximumLines - 1) {
            // The last line takes the rest of the text, cut to the width.
            const QString rest = shown.mid(line.textStart());
            lines.append(fontMetrics().elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(shown.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

int LineLimitedLabel::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const int lines = std::max<qsizetype>(1, shownLines(width - margins.left() - margins.right()).size());
    return int(lines) * fontMetrics().lineSpacing() + margins.top() + margins.bottom();
}

QSize LineLimitedLabel::sizeHint() const
{
    const int width = fontMetrics().averageCharWidth() * preferredColumns;
    return {width, heightForWidth(width)};
}

QSize LineLimitedLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {fontMetrics().averageCharWidth() * leastColumns + margins.left() + margins.right(),
            fontMetrics().height() + margins.top() + margins.bottom()};
}

void LineLimitedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QRect area = contentsRect();
    const QFontMetrics metrics = fontMetrics();
    int y = area.top() + metrics.ascent();
    for (const QString &line : shownLines(area.width())) {
        painter.drawText(QPoint(area.left(), y), line);
        y += metrics.lineSpacing();
    }
}
