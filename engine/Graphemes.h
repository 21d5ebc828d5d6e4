// User-perceived characters (grapheme clusters) of a text, as Unicode's
// extended grapheme clusters define them: a CR LF is one character in any
// script, a flag, a family joined by zero-width joiners or a letter with its
// marks is one, and no character ends between the two halves of a
// surrogate pair. Every count or cut of characters goes through here, so
// that one definition holds throughout.
#pragma once

#include <QString>
#include <QStringView>

#include <limits>
#include <memory>

struct UBreakIterator;

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

// The ends of a text's characters, one after the other. The text is not
// copied: it must outlive the boundaries.
class Boundaries
{
public:
    explicit Boundaries(QStringView text);
    Boundaries(QString &&) = delete;
    ~Boundaries();
    Boundaries(const Boundaries &) = delete;
    Boundaries &operator=(const Boundaries &) = delete;

    // The end of the next character; -1 after the last one.
    qsizetype next();

private:
    struct Closer
    {
        void operator()(UBreakIterator *iterator) const;
    };

    QStringView m_text;
    std::unique_ptr<UBreakIterator, Closer> m_iterator;
    qsizetype m_position = 0; // the end given last
};

// The number of characters of the text, counting no further than limit + 1.
qsizetype count(QStringView text, qsizetype limit = std::numeric_limits<qsizetype>::max() - 1);

// The code units that the first `count` characters of the text take (all of
// it when it holds no more).
qsizetype firstLength(QStringView text, qsizetype count);

// Where the text holds the needle as whole characters of its own: the first
// match that begins and ends between two of the text's characters, or -1. So
// an e is not found in an e with its accent, nor one flag inside two others.
qsizetype indexOfWhole(QStringView text, QStringView needle);

// The text with every half of a surrogate pair that has no other half
// replaced by U+FFFD, so that it holds whole code points only (a name on
// disk, or text that others read, is then what it says).
QString wholeCodePoints(const QString &text);

// The first `count` characters of a text, and at most `maxUnits` UTF-16
// code units of them (cut between code points), so that one character of
// endless combining marks cannot make the text any length.
QString left(const QString &text, qsizetype count, qsizetype maxUnits = std::numeric_limits<qsizetype>::max());

} // namespace Graphemes
