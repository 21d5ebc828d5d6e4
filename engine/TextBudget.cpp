#include "TextBudget.h"

#include "Graphemes.h"

#include <algorithm>

TextBudget::TextBudget(int characters)
    : m_limit(std::max(characters, 0))
    , m_maxUnits(qsizetype(m_limit) * unitsPerCharacter)
    , m_nextCheck(qsizetype(m_limit) + 1)
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
    // Characters are counted on from the last one known to be whole: a
    // character that a whole code point follows is whole, since whether a
    // boundary stands somewhere depends on what comes before it and on the
    // one code point after it only. The first half of a pair at the end may
    // still get its second half.
    const qsizetype start = m_wholeEnd;
    const qsizetype end = m_text.size() - (!m_text.isEmpty() && m_text.back().isHighSurrogate() ? 1 : 0);
    const QStringView rest = QStringView(m_text).sliced(start, end - start);
    Graphemes::Boundaries boundaries(rest);
    for (qsizetype next = boundaries.next(); next != -1 && next < rest.size(); next = boundaries.next()) {
        m_wholeEnd = start + next;
        if (++m_whole == m_limit) {
            m_full = true;
            return;
        }
    }
    // The next count waits until enough text has come to hold the characters
    // still missing, and until the last one, still open, has at least doubled:
    // a character of endless combining marks is then gone through a bounded
    // number of times, and the whole cost stays linear.
    const qsizetype open = m_text.size() - m_wholeEnd;
    m_nextCheck = std::min(std::max(m_wholeEnd + (m_limit - m_whole) + 1, m_text.size() + open), m_maxUnits);
}

void TextBudget::finish()
{
    if (m_full || m_text.isEmpty())
        return;
    check();
    if (!m_full && Graphemes::count(QStringView(m_text).sliced(m_wholeEnd), m_limit - m_whole) + m_whole >= m_limit)
        m_full = true;
}

QString TextBudget::text() const
{
    // Cut between whole code points: text that stopped at the bound of code
    // units may end in the first half of a surrogate pair. Half a pair that
    // a document wrote by itself (a rich-text "\u" escape, a UTF-16 page)
    // is no character either: it reads as U+FFFD.
    if (m_whole == m_limit)
        return Graphemes::wholeCodePoints(m_text.left(m_wholeEnd));
    return Graphemes::wholeCodePoints(Graphemes::left(m_text, m_limit, m_maxUnits));
}
