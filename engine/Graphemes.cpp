#include "Graphemes.h"

#include <unicode/ubrk.h>

#include <algorithm>
#include <vector>

namespace Graphemes {

namespace {

// Opening an iterator loads and builds its rules; each thread does that once
// and clones the result for every text.
UBreakIterator *prototype()
{
    thread_local const std::unique_ptr<UBreakIterator, void (*)(UBreakIterator *)> iterator(
        [] {
            UErrorCode status = U_ZERO_ERROR;
            UBreakIterator *opened = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
            if (U_FAILURE(status) && opened) {
                ubrk_close(opened);
                opened = nullptr;
            }
            return opened;
        }(),
        [](UBreakIterator *opened) {
            if (opened)
                ubrk_close(opened);
        });
    return iterator.get();
}

} // namespace

void Boundaries::Closer::operator()(UBreakIterator *iterator) const
{
    ubrk_close(iterator);
}

Boundaries::Boundaries(QStringView text) : m_text(text)
{
    const UBreakIterator *const source = prototype();
    if (!source || text.isEmpty())
        return;
    UErrorCode status = U_ZERO_ERROR;
    m_iterator.reset(ubrk_clone(source, &status));
    // The iterator counts in 32 bits; a longer text is gone through by code
    // points past that.
    const qsizetype length = codePointFloor(text, std::min<qsizetype>(text.size(), INT32_MAX));
    if (U_SUCCESS(status) && m_iterator)
        ubrk_setText(m_iterator.get(), text.utf16(), int32_t(length), &status);
    if (U_FAILURE(status))
        m_iterator.reset();
}

Boundaries::~Boundaries() = default;

qsizetype Boundaries::next()
{
    if (m_iterator) {
        const int32_t end = ubrk_next(m_iterator.get());
        if (end != UBRK_DONE) {
            m_position = end;
            return end;
        }
        m_iterator.reset();
    }
    // Without an iterator (or past its reach) each code point is a character.
    const qsizetype size = m_text.size();
    if (m_position >= size)
        return -1;
    m_position += m_text[m_position].isHighSurrogate() && m_position + 1 < size && m_text[m_position + 1].isLowSurrogate() ? 2 : 1;
    return m_position;
}

qsizetype count(QStringView text, qsizetype limit)
{
    Boundaries boundaries(text);
    qsizetype seen = 0;
    while (seen <= limit && boundaries.next() != -1)
        ++seen;
    return seen;
}

qsizetype firstLength(QStringView text, qsizetype count)
{
    Boundaries boundaries(text);
    qsizetype position = 0;
    for (qsizetype seen = 0; seen < count; ++seen) {
        const qsizetype next = boundaries.next();
        if (next == -1)
            return text.size();
        position = next;
    }
    return position;
}

qsizetype indexOfWhole(QStringView text, QStringView needle)
{
    if (needle.isEmpty())
        return 0;
    Boundaries boundaries(text);
    std::vector<qsizetype> ends{0}; // the character ends found so far, in order
    const auto isEnd = [&](qsizetype position) {
        while (ends.back() < position) {
            const qsizetype next = boundaries.next();
            if (next == -1)
                return false;
            ends.push_back(next);
        }
        return std::binary_search(ends.begin(), ends.end(), position);
    };
    for (qsizetype from = text.indexOf(needle); from != -1; from = text.indexOf(needle, from + 1)) {
        if (isEnd(from) && isEnd(from + needle.size()))
            return from;
    }
    return -1;
}

QString left(const QString &text, qsizetype count, qsizetype maxUnits)
{
    // Never more characters than code units.
    qsizetype end = text.size() > count ? firstLength(text, count) : text.size();
    if (end > maxUnits)
        end = codePointFloor(text, maxUnits);
    // A text gathered up to a bound of code units may end in half a pair.
    if (end > 0 && text[end - 1].isHighSurrogate())
        --end;
    return end == text.size() ? text : text.left(end);
}

QString wholeCodePoints(const QString &text)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size && !text[i].isSurrogate())
        ++i;
    if (i == size)
        return text;
    QString result = text;
    QChar *const data = result.data();
    for (; i < size; ++i) {
        if (data[i].isHighSurrogate() && i + 1 < size && data[i + 1].isLowSurrogate())
            ++i; // a whole pair
        else if (data[i].isSurrogate())
            data[i] = QChar::ReplacementCharacter;
    }
    return result;
}

} // namespace Graphemes
