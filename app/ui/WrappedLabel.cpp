#include "WrappedLabel.h"

#include <QEvent>

#include <algorithm>

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

void WrappedLabel::forgetChangedText() const
{
    if (m_measured != text()) {
        m_heights.clear();
        m_textWidth = -1;
        m_textSizeWidth = -1;
        m_measured = text();
    }
}

int WrappedLabel::heightForWidth(int width) const
{
    forgetChangedText();
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

void WrappedLabel::setPrefersTextWidth(bool prefers)
{
    if (m_prefersTextWidth == prefers)
        return;
    m_prefersTextWidth = prefers;
    updateGeometry();
}

QSize WrappedLabel::textSize(int width) const
{
    forgetChangedText();
    if (m_textSizeWidth != width) {
        // As the label draws its text: tabs expanded, wrapped at words.
        m_textSize = fontMetrics()
                         .boundingRect(QRect(0, 0, width, QWIDGETSIZE_MAX),
                                       Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs | Qt::TextWordWrap, text())
                         .size();
        m_textSizeWidth = width;
    }
    return m_textSize;
}

int WrappedLabel::firstLineMiddle() const
{
    const QRect contents = contentsRect().marginsRemoved(QMargins(margin(), margin(), margin(), margin()));
    const int free = contents.height() - textSize(contents.width()).height();
    int top = contents.top();
    if (alignment() & Qt::AlignVCenter)
        top += free / 2;
    else if (alignment() & Qt::AlignBottom)
        top += free;
    return top + fontMetrics().height() / 2;
}

QSize WrappedLabel::sizeHint() const
{
    int width = fontMetrics().averageCharWidth() * preferredColumns;
    if (m_prefersTextWidth) {
        forgetChangedText();
        if (m_textWidth < 0) {
            // As the label lays its text out: tabs expanded, wrapped only at
            // the line breaks it holds.
            const QMargins margins = contentsMargins();
            m_textWidth = fontMetrics()
                              .boundingRect(QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX),
                                            Qt::AlignLeft | Qt::TextExpandTabs | Qt::TextWordWrap, text())
                              .width()
                + margins.left() + margins.right() + 2 * margin();
        }
        width = std::min(width, m_textWidth);
    }
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
        event->type() == QEvent::ContentsRectChange) {
        m_heights.clear();
        m_textWidth = -1;
        m_textSizeWidth = -1;
    }
    QLabel::changeEvent(event);
}
