#include "Graphemes.h"
#include "NameTemplate.h"
#include "PatternReader.h"
#include "TestSupport.h"
#include "TextExtractor.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QList>

#include <functional>

using TestSupport::dataPath;
using namespace Qt::StringLiterals;

namespace {

// One line of Unicode's break test: the text, and where its characters end.
struct BreakCase
{
    int line = 0;
    QString text;
    QList<qsizetype> ends;
};

// Reads "÷ 0020 × 0308 ÷ 000D ÷  # comment" lines: hexadecimal code points,
// "÷" where a character ends (the one before the first code point aside),
// "×" where none does.
QList<BreakCase> breakCases(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<BreakCase> cases;
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine());
        const QString data = line.left(line.indexOf(u'#')).trimmed();
        if (data.isEmpty())
            continue;
        BreakCase entry{number, {}, {}};
        for (const QString &token : data.split(u' ', Qt::SkipEmptyParts)) {
            if (token == u"÷"_s) {
                if (!entry.text.isEmpty())
                    entry.ends.append(entry.text.size());
            } else if (token != u"×"_s) {
                bool ok = false;
                const char32_t code = token.toUInt(&ok, 16);
                EXPECT_TRUE(ok) << "line " << number << ": " << token.toStdString();
                entry.text += QString::fromUcs4(&code, 1);
            }
        }
        cases.append(entry);
    }
    return cases;
}

QList<qsizetype> endsOf(const QString &text)
{
    QList<qsizetype> ends;
    Graphemes::Boundaries boundaries(text);
    for (qsizetype end = boundaries.next(); end != -1; end = boundaries.next())
        ends.append(end);
    return ends;
}

QString joined(const QList<qsizetype> &ends)
{
    QStringList parts;
    for (const qsizetype end : ends)
        parts.append(QString::number(end));
    return parts.join(u' ');
}

} // namespace

// Characters end where Unicode's own test says they do, in every one of its
// cases (CR LF, Hangul syllables, regional indicator pairs, emoji joined by
// zero-width joiners, spacing marks, prepended concatenation marks).
TEST(Graphemes, CharactersEndWhereUnicodesBreakTestSays)
{
    const QList<BreakCase> cases = breakCases(dataPath(u"unicode/GraphemeBreakTest.txt"_s));
    ASSERT_GT(cases.size(), 600);
    int wrong = 0;
    for (const BreakCase &entry : cases) {
        const QList<qsizetype> ends = endsOf(entry.text);
        if (ends == entry.ends)
            continue;
        // Name the first few; a wrong rule would fill pages otherwise.
        if (++wrong <= 10)
            ADD_FAILURE() << "line " << entry.line << ": ends " << joined(ends).toStdString() << ", expected "
                          << joined(entry.ends).toStdString();
    }
    EXPECT_EQ(wrong, 0) << "of " << cases.size() << " lines";
}

// CR LF is one character whatever script stands round it, and flags,
// families joined by zero-width joiners and skin tones stay whole before
// text of scripts with their own shaping: everything that counts or cuts
// characters agrees.
TEST(Graphemes, CrLfFlagsAndFamiliesAreOneCharacterInEveryScript)
{
    const QString flags = u"🇩🇪🇦🇹"_s;
    const QString family = u"👨\u200D👩\u200D👧"_s;
    const auto left = [](const QString &text, qsizetype n) { return Graphemes::left(text, n); };
    const auto leftCharacters = [](const QString &text, qsizetype n) {
        return TextExtractor::leftCharacters(text, int(n));
    };
    const auto fitBytes = [](const QString &text, qsizetype n) { return NameTemplate::fitBytes(text, n); };
    const struct
    {
        const char *what;
        std::function<QString(const QString &, qsizetype)> cut;
        QString text;
        qsizetype n; // characters, or bytes for fitBytes
        QString expected;
    } cases[] = {
        {"Hindi lines", left, u"कर\r\nदाम\r\n"_s, 3, u"कर\r\n"_s},
        {"Thai lines", left, u"ภาษี\r\nรวม\r\n"_s, 4, u"ภาษี\r\n"_s},
        {"Tamil lines", left, u"வரி\r\nமொத்தம்\r\n"_s, 3, u"வரி\r\n"_s},
        {"Latin lines", left, u"ab\r\ncd\r\n"_s, 3, u"ab\r\n"_s},
        {"Hindi lines read", leftCharacters, u"कर\r\nदाम\r\n"_s, 4, u"कर\r\nदा"_s},
        {"flag before Hindi", left, flags + u"कर"_s, 1, u"🇩🇪"_s},
        {"flags before Hindi", left, flags + u"कर"_s, 2, flags},
        {"family before Hindi", left, family + u"कर"_s, 1, family},
        {"skin tone before Tamil", left, u"👍🏽வரி"_s, 1, u"👍🏽"_s},
        {"flag named before Hindi", fitBytes, flags + u"कर"_s, 12, u"🇩🇪"_s},
        {"family named after Hindi", fitBytes, u"क"_s + family, 12, u"क"_s},
    };
    for (const auto &[what, cut, text, n, expected] : cases)
        EXPECT_EQ(cut(text, n), expected) << what << ": " << cut(text, n).toStdString();
}

// The pattern reader counts the same characters: a key word within the first
// 400 characters of lines with Windows line ends weighs as one at the head.
TEST(Graphemes, ThePatternReaderCountsCrLfOnce)
{
    const struct
    {
        const char *what;
        QString line;
    } cases[] = {
        {"Hindi", u"क\r\n"_s},
        {"Thai", u"ก\r\n"_s},
        {"Latin", u"x\r\n"_s},
    };
    for (const auto &[what, line] : cases) {
        // 300 characters of lines, the key word ending at the 308th.
        const PatternReader::Result result = PatternReader::read(line.repeated(150) + u"Rechnung"_s);
        EXPECT_EQ(result.kind, DocumentKind::invoice) << what;
        EXPECT_DOUBLE_EQ(result.kindScore, 0.5) << what;
    }
}
