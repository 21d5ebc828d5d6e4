#include "WrappedTextRow.h"

#include "WrappedLabel.h"

#include <algorithm>

WrappedTextRow::WrappedTextRow(int spacing, Level level)
    : m_level(level)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(spacing);
}

void WrappedTextRow::addText(WrappedLabel *text)
{
    m_text = text;
    addWidget(text, 1);
}

void WrappedTextRow::setGeometry(const QRect &rect)
{
    QHBoxLayout::setGeometry(rect);
    if (!m_text || m_text->isHidden())
        return;
    fitText();
    if (m_level == Level::firstLine)
        levelWithFirstLine(rect);
}

void WrappedTextRow::fitText()
{
    const int contents = m_text->contentsRect().width() - 2 * m_text->margin();
    const int unused = contents - m_text->textSize(contents).width();
    if (unused <= 0)
        return;
    QRect text = m_text->geometry();
    text.setWidth(text.width() - unused);
    m_text->setGeometry(text);
    for (int i = indexOf(m_text) + 1; i < count(); ++i) {
        QLayoutItem *item = itemAt(i);
        if (item->spacerItem())
            break;
        if (!item->isEmpty())
            item->setGeometry(item->geometry().translated(-unused, 0));
    }
}

void WrappedTextRow::levelWithFirstLine(const QRect &rect)
{
    const int middle = m_text->y() + m_text->firstLineMiddle();
    for (int i = 0; i < count(); ++i) {
        QLayoutItem *item = itemAt(i);
        if (item->widget() == m_text || item->spacerItem() || item->isEmpty())
            continue;
        QRect place = item->geometry();
        const int lowest = std::max(rect.top(), rect.bottom() + 1 - place.height());
        place.moveTop(std::clamp(middle - place.height() / 2, rect.top(), lowest));
        item->setGeometry(place);
    }
}
