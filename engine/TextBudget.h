// Text gathered up to a limit of user-perceived characters. A reader appends
// what it finds and stops once the budget is full, so that neither the text it
// keeps nor the input it goes through grows past what the limit needs.
#pragma once

#include <QString>
#include <QStringView>

class TextBudget
{
public:
    // The code units kept for each character of the limit: plenty for any
    // real text, and a bound for a few characters of endless combining marks.
    static constexpr qsizetype unitsPerCharacter = 4;

    explicit TextBudget(int characters);

    // Appends as much of the text as the budget can still hold.
    void append(QStringView text);
    void append(QChar c) { append(QStringView(&c, 1)); }

    // True once the text holds the limit's number of characters (or so many
    // code units that a pathological text of endless combining marks stops
    // too).
    bool isFull() const { return m_full; }

    // The input has ended where the text gathered ends, so that its last
    // character is whole (a reader that meets a byte it cannot read takes it
    // as the end of the text): the budget is full when that completes the
    // limit's number of characters.
    void finish();

    bool isEmpty() const { return m_text.isEmpty(); }
    QChar last() const { return m_text.isEmpty() ? QChar() : m_text.back(); }

    // The text gathered, cut to the limit (and to the bound of code units)
    // between whole code points; half a surrogate pair in it is U+FFFD.
    QString text() const;

private:
    void check();

    int m_limit;
    qsizetype m_maxUnits;
    qsizetype m_nextCheck;
    QString m_text;
    int m_whole = 0;          // characters known to be whole
    qsizetype m_wholeEnd = 0; // where they end
    bool m_full = false;
};
