#include "Graphemes.h"

namespace Graphemes {

QString left(const QString &text, qsizetype count, qsizetype maxUnits)
{
    qsizetype end = text.size();
    if (text.size() > count) { // never more characters than code units
        Boundaries boundaries(text);
        qsizetype seen = 0;
        qsizetype position = 0;
        while (seen < count && (position = boundaries.next()) != -1)
            ++seen;
        if (seen == count)
            end = position;
    }
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
