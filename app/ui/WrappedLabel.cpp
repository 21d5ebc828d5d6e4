#include "WrappedLabel.h"

#include <QEvent>

namespace {
// In average characters: the preferred width, and the least.
constexpr int preferredColumns = 60;
constexpr int leastColumns = 12;
constexpr int remembered = 4;
} // namespace

WrappedLabel::WrappedLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
}

int WrappedLabel::heightForWidth(int width) const
{
    if (m_measured != text()) {
        m_heights.clear();
        m_measured = text();
    }
    for (const Measured &measured : m_heights) {
        if (measured.width == width)
            return measured.height;
    }
    const int height = QLabel::heightForWidth(width);
    if (m_heights.size() == remembered)
        m_heights.remove(0);
    m_heights.append({width, height});
    return height;
}

QSize WrappedLabel::sizeHint() const
{
    const int width = fontMetrics().averageCharWidth() * preferredColumns;
    return {width, heightForWidth(width)};
}

QSize WrappedLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {fontMetrics().averageCharWidth() * leastColumns + margins.left() + margins.right(),
            fontMetrics().height() + margins.top() + margins.bottom()};
}

void WrappedLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::ContentsRectChange)
        m_heights.clear();
    QLabel::changeEvent(event);
}
