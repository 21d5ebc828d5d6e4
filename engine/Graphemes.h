// User-perceived characters (grapheme clusters) of a text, never cut inside
// a surrogate pair. Qt's boundary finder places a boundary between the two
// halves of a pair that follows some Indic and Thai letters; a text cut
// there ends in half a character, which is no valid UTF-16 and no valid
// file name. Everything here steps over such a boundary.
#pragma once

#include <QString>
#include <QStringView>
#include <QTextBoundaryFinder>

#include <limits>

namespace Graphemes {

// True when the position falls between the two halves of a surrogate pair.
inline bool splitsPair(QStringView text, qsizetype position)
{
    return position > 0 && position < text.size() && text[position - 1].isHighSurrogate()
        && text[position].isLowSurrogate();
}

// The position moved back, if need be, so that it does not split a pair.
inline qsizetype codePointFloor(QStringView text, qsizetype position)
{
    return splitsPair(text, position) ? position - 1 : position;
}

// The ends of a text's characters, one after the other.
class Boundaries
{
public:
    explicit Boundaries(const QString &text) : m_text(text), m_finder(QTextBoundaryFinder::Grapheme, text) {}

    // The end of the next character; -1 after the last one.
    qsizetype next()
    {
        qsizetype position = m_finder.toNextBoundary();
        while (position > 0 && splitsPair(m_text, position))
            position = m_finder.toNextBoundary();
        return position;
    }

private:
    QString m_text;
    QTextBoundaryFinder m_finder;
};

// The text with every half of a surrogate pair that has no other half
// replaced by U+FFFD, so that it holds whole code points only (a name on
// disk, or text that others read, is then what it says).
QString wholeCodePoints(const QString &text);

// The first `count` characters of a text, and at most `maxUnits` UTF-16
// code units of them (cut between code points), so that one character of
// endless combining marks cannot make the text any length.
QString left(const QString &text, qsizetype count, qsizetype maxUnits = std::numeric_limits<qsizetype>::max());

} // namespace Graphemes
