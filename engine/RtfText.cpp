#include "RtfText.h"

#include "DocumentText.h"
#include "HexDigit.h"
#include "TextBudget.h"

namespace {

// Deeper nesting than this is no document anyone writes; it is skipped
// instead of costing memory per level.
constexpr qsizetype maxDepth = 512;
// A control word has at most 32 letters and a parameter of at most 10 digits
// and a sign; this much input after a backslash always holds a whole one.
constexpr qsizetype maxLetters = 32;
constexpr qsizetype maxDigits = 10;
constexpr qsizetype wholeControl = 64;

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDestination(QByteArrayView word)
{
    static const QList<QByteArray> destinations{
        "fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer", "headerl", "headerr",
        "footerl", "footerr", "footnote", "object", "fldinst", "themedata", "colorschememapping",
        "latentstyles", "datastore", "xmlnstbl", "listtable", "listoverridetable", "rsidtbl",
        "generator", "filetbl", "revtbl", "pgdsctbl", "bkmkstart", "bkmkend"};
    return std::any_of(destinations.cbegin(), destinations.cend(),
                       [&](const QByteArray &destination) { return destination == word; });
}

// The character that an escape names; one naming NUL, which no text holds,
// stands for a character that cannot be shown.
QChar character(char16_t code)
{
    return code == 0 ? QChar(QChar::ReplacementCharacter) : QChar(code);
}

} // namespace

RtfText::RtfText(TextBudget &budget) : m_budget(budget) {}

void RtfText::feed(QByteArrayView chunk)
{
    if (m_budget.isFull())
        return;
    m_carry.append(chunk);
    m_carry.remove(0, parse(m_carry, false));
}

void RtfText::finish()
{
    parse(m_carry, true);
    m_carry.clear();
}

qsizetype RtfText::parse(QByteArrayView data, bool last)
{
    if (!m_checked) {
        if (data.size() < 5 && !last)
            return 0;
        m_checked = true;
        m_isRtf = data.startsWith("{\\rtf");
    }
    if (!m_isRtf)
        return data.size();
    const qsizetype n = data.size();
    qsizetype i = 0;
    while (i < n && !m_budget.isFull()) {
        const char c = data[i];
        if (c == '{') {
            if (m_deeper > 0 || m_groups.size() >= maxDepth)
                ++m_deeper;
            else
                m_groups.append(m_groups.last());
            ++i;
        } else if (c == '}') {
            if (m_deeper > 0)
                --m_deeper;
            else if (m_groups.size() > 1)
                m_groups.removeLast();
            ++i;
        } else if (c == '\\') {
            if (!last && n - i < wholeControl)
                break; // the rest comes with the next chunk
            i = controlWord(data, i + 1);
        } else if (c == '\n' || c == '\r' || c == '\0') {
            ++i; // line breaks in the source are not text, nor is NUL anywhere
        } else {
            put(QChar(DocumentText::windows1252(static_cast<unsigned char>(c))));
            ++i;
        }
    }
    return m_budget.isFull() ? n : i;
}

// Reads the control word or symbol that begins at `i` (after the backslash)
// and returns where the input goes on.
qsizetype RtfText::controlWord(QByteArrayView data, qsizetype i)
{
    const qsizetype n = data.size();
    if (i >= n)
        return i;
    const char next = data[i];
    if (next == '\'') {
        const int high = i + 1 < n ? HexDigit::value(data[i + 1]) : -1;
        const int low = i + 2 < n ? HexDigit::value(data[i + 2]) : -1;
        if (high >= 0 && low >= 0)
            put(character(DocumentText::windows1252(static_cast<unsigned char>(high * 16 + low))));
        return std::min(i + 3, n);
    }
    if (next == '*') {
        if (m_deeper == 0)
            m_groups.last().skip = true;
        return i + 1;
    }
    if (next == '\\' || next == '{' || next == '}') {
        put(QLatin1Char(next));
        return i + 1;
    }
    if (next == '~') {
        put(QChar(0x00A0));
        return i + 1;
    }
    if (next == '\n' || next == '\r') {
        put(u'\n');
        return i + 1;
    }
    if (!isAsciiLetter(next))
        return i + 1; // other control symbols carry no text

    const qsizetype start = i;
    while (i < n && i - start < maxLetters && isAsciiLetter(data[i]))
        ++i;
    const QByteArrayView word = data.sliced(start, i - start);
    const qsizetype numberStart = i;
    if (i < n && data[i] == '-')
        ++i;
    const qsizetype digitsStart = i;
    while (i < n && i - digitsStart < maxDigits && data[i] >= '0' && data[i] <= '9')
        ++i;
    const bool hasNumber = i > digitsStart;
    const int number = hasNumber ? int(std::clamp(data.sliced(numberStart, i - numberStart).toLongLong(),
                                                  qlonglong(INT_MIN), qlonglong(INT_MAX)))
                                 : 0;
    if (i < n && data[i] == ' ')
        ++i; // the delimiter belongs to the control word
    if (m_deeper == 0)
        apply(word, hasNumber, number);
    return i;
}

void RtfText::apply(QByteArrayView word, bool hasNumber, int number)
{
    if (isDestination(word)) {
        m_groups.last().skip = true;
    } else if (word == "par" || word == "line" || word == "row") {
        put(u'\n');
    } else if (word == "tab" || word == "cell") {
        put(u'\t');
    } else if (word == "uc" && hasNumber) {
        m_groups.last().unicodeSkip = qBound(0, number, 8);
    } else if (word == "u" && hasNumber) {
        put(character(static_cast<char16_t>(number < 0 ? number + 65536 : number)));
        m_pendingSkip = m_groups.last().unicodeSkip;
    } else if (word == "emdash") {
        put(QChar(0x2014));
    } else if (word == "endash") {
        put(QChar(0x2013));
    } else if (word == "bullet") {
        put(QChar(0x2022));
    } else if (word == "lquote" || word == "rquote") {
        put(QChar(word == "lquote" ? 0x2018 : 0x2019));
    } else if (word == "ldblquote" || word == "rdblquote") {
        put(QChar(word == "ldblquote" ? 0x201C : 0x201D));
    }
}

void RtfText::put(QChar c)
{
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    if (m_deeper == 0 && !m_groups.last().skip)
        m_budget.append(c);
}
