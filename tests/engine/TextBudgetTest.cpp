#include "Graphemes.h"
#include "TextBudget.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Characters are counted on as text comes: a text handed over in pieces of
// any size, cutting flags, joined families, marks and CR LF apart, keeps the
// same characters as the whole text, and is full only once the last one kept
// is followed by more.
TEST(TextBudget, TextInPiecesKeepsTheCharactersOfTheWholeText)
{
    constexpr int limit = 40;
    const QString family = u"👨\u200D👩\u200D👧"_s;
    const struct
    {
        const char *what;
        QString text;
    } cases[] = {
        {"flags", u"🇩🇪"_s.repeated(60)},
        {"odd flag first", u"🇩"_s + u"🇩🇪"_s.repeated(60)},
        {"families", (family + u"किab"_s).repeated(30)},
        {"marks", (u"e"_s + QString(2, QChar(0x0301))).repeated(60)},
        {"Hindi lines", u"दाम\r\n"_s.repeated(30)},
        // Cut at the bound of code units.
        {"one character of marks", u"e"_s + QString(300, QChar(0x0301))},
    };
    for (const auto &[what, text] : cases) {
        const QString expected = Graphemes::left(text, limit, qsizetype(limit) * TextBudget::unitsPerCharacter);
        for (qsizetype piece = 1; piece <= 9; ++piece) {
            TextBudget budget(limit);
            for (qsizetype at = 0; at < text.size() && !budget.isFull(); at += piece)
                budget.append(QStringView(text).mid(at, piece));
            EXPECT_TRUE(budget.isFull()) << what << " in pieces of " << piece;
            EXPECT_EQ(budget.text(), expected) << what << " in pieces of " << piece;
        }
    }
}

// The end of the input ends the last character: the budget is full when
// that makes the limit, and not before.
TEST(TextBudget, TheEndOfTheInputEndsTheLastCharacter)
{
    const struct
    {
        const char *what;
        QString text;
        bool full;
    } cases[] = {
        {"the limit", u"🇩🇪"_s.repeated(10), true},
        {"one short", u"🇩🇪"_s.repeated(9), false},
        {"one short with a lone indicator", u"🇩🇪"_s.repeated(9) + u"🇩"_s, true},
        {"the last with marks", u"ab"_s.repeated(4) + u"c\u0301e\u0301\u0301"_s, true},
        {"CR LF last", u"ab"_s.repeated(4) + u"c\r\n"_s, true},
        {"CR LF one short", u"ab"_s.repeated(4) + u"\r\n"_s, false},
    };
    for (const auto &[what, text, full] : cases) {
        TextBudget budget(10);
        budget.append(text);
        budget.finish();
        EXPECT_EQ(budget.isFull(), full) << what;
        EXPECT_EQ(budget.text(), text) << what;
    }
}
