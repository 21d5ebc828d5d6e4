#include "TextCondenser.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(TextCondenser, ShortTextsAreTheirNonEmptyLines)
{
    EXPECT_EQ(TextCondenser::condense(QStringLiteral("  Rechnung \r\n\n\tNr. 5\t\n   \n"), 2500),
              QStringLiteral("Rechnung\nNr. 5"));
    EXPECT_EQ(TextCondenser::condense(QString(), 2500), QString());
}

TEST(TextCondenser, LongTextsKeepHeadWindowTailAndTellingLines)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("line %1 filler words").arg(i);
    lines[100] = QStringLiteral("Gesamtbetrag: 58,90 EUR");
    lines[110] = QStringLiteral("TOTAL");
    lines[120] = QStringLiteral("nur eur");
    lines[130] = QStringLiteral("Datum ") + QString(500, u'x');
    const QString condensed = TextCondenser::condense(lines.join(u'\n'), 2500);
    QStringList expected = lines.mid(0, 15) + lines.mid(54, 6);
    expected << lines[100] << lines[110] << lines[130].left(160);
    EXPECT_EQ(condensed, expected.join(u'\n') + u'\n');
    EXPECT_FALSE(condensed.contains(QStringLiteral("line 199")));

    // Stops at the first line that does not fit, and never exceeds the limit.
    const QString limited = TextCondenser::condense(lines.join(u'\n'), 100);
    EXPECT_LE(limited.size(), 100);
    EXPECT_EQ(limited, lines.mid(0, 5).join(u'\n') + u'\n');
    EXPECT_EQ(TextCondenser::condense(QString(300, u'y') + QStringLiteral("\nb"), 100), QString());
}
