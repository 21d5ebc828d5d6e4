#include "TextBudget.h"

#include "Graphemes.h"

TextBudget::TextBudget(int characters)
    : m_limit(std::max(characters, 0))
    , m_maxUnits(qsizetype(m_limit) * unitsPerCharacter)
    , m_nextCheck(m_limit)
{
    m_full = m_limit == 0;
}

void TextBudget::append(QStringView text)
{
    if (m_full || text.isEmpty())
        return;
    m_text.append(text.first(std::min(text.size(), m_maxUnits - m_text.size())));
    if (m_text.size() >= m_nextCheck)
        check();
}

void TextBudget::check()
{
    if (m_text.size() >= m_maxUnits) {
        m_full = true;
        return;
    }
    // Counting characters costs a pass over the text: it is done each time
    // the text has doubled, which keeps the whole cost linear.
    Graphemes::Boundaries boundaries(m_text);
    int seen = 0;
    qsizetype position = 0;
    while (seen < m_limit && (position = boundaries.next()) != -1)
        ++seen;
    // Full once the last character kept is complete, that is when more
    // text follows it (a combining mark may still come otherwise).
    if (seen >= m_limit && position < m_text.size())
        m_full = true;
    else
        m_nextCheck = std::min(m_text.size() * 2, m_maxUnits);
}

QString TextBudget::text() const
{
    // Cut between whole code points: text that stopped at the bound of code
    // units may end in the first half of a surrogate pair. Half a pair that
    // a document wrote by itself (a rich-text "\u" escape, a UTF-16 page)
    // is no character either: it reads as U+FFFD.
    return Graphemes::wholeCodePoints(Graphemes::left(m_text, m_limit, m_maxUnits));
}
