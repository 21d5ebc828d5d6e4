// Days, the five written date forms and the choice of the document date.
#include "PatternReader.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

QDateTime day(int year, int month, int dayOfMonth)
{
    return QDateTime(QDate(year, month, dayOfMonth), QTime(12, 0), Qt::UTC);
}

QList<QDateTime> datesOf(const QStringList &lines)
{
    QList<QDateTime> dates;
    for (const PatternReader::DatedLine &entry : PatternReader::datedLines(lines))
        dates.append(entry.date);
    return dates;
}

QList<QDateTime> datesOf(const char *line)
{
    return datesOf(QStringList{QString::fromUtf8(line)});
}

std::optional<QDateTime> documentDateOf(const QStringList &lines)
{
    return PatternReader::documentDate(PatternReader::datedLines(lines));
}

} // namespace

TEST(PatternReaderDates, MakeDateKeepsToRealDaysInRange)
{
    const std::optional<QDateTime> leap = PatternReader::makeDate(2024, 2, 29);
    ASSERT_TRUE(leap);
    EXPECT_EQ(*leap, day(2024, 2, 29));
    EXPECT_EQ(leap->timeSpec(), Qt::UTC);
    EXPECT_EQ(CalendarUtc::day(*leap), QDate(2024, 2, 29));
    EXPECT_FALSE(PatternReader::makeDate(2023, 2, 29));
    EXPECT_FALSE(PatternReader::makeDate(2024, 4, 31));
    EXPECT_FALSE(PatternReader::makeDate(1989, 1, 1));
    EXPECT_FALSE(PatternReader::makeDate(2101, 1, 1));
    EXPECT_FALSE(PatternReader::makeDate(2024, 13, 1));
    EXPECT_FALSE(PatternReader::makeDate(2024, 0, 1));
    EXPECT_FALSE(PatternReader::makeDate(2024, 1, 0));
    EXPECT_EQ(PatternReader::makeDate(2100, 12, 31), day(2100, 12, 31));
    EXPECT_EQ(PatternReader::makeDate(1990, 1, 1), day(1990, 1, 1));
}

TEST(PatternReaderDates, NumericForms)
{
    EXPECT_EQ(datesOf("Datum: 05.03.24"), QList<QDateTime>{day(2024, 3, 5)});
    EXPECT_EQ(datesOf("Berlin, 2024-03-05"), QList<QDateTime>{day(2024, 3, 5)});
    EXPECT_EQ(datesOf("1.2.2024"), QList<QDateTime>{day(2024, 2, 1)});
    EXPECT_EQ(datesOf("am 1. 2. 2024"), QList<QDateTime>{day(2024, 2, 1)});
    EXPECT_TRUE(datesOf("12.2024").isEmpty());
    EXPECT_TRUE(datesOf("2024-3-5").isEmpty());
    EXPECT_TRUE(datesOf("12024-03-05").isEmpty());
    EXPECT_TRUE(datesOf("31.02.2024").isEmpty()); // a day February does not have
    // Slashed: month first unless the first number cannot be a month.
    EXPECT_EQ(datesOf("03/04/2024"), QList<QDateTime>{day(2024, 3, 4)});
    EXPECT_EQ(datesOf("13/04/2024"), QList<QDateTime>{day(2024, 4, 13)});
    EXPECT_TRUE(datesOf("31/13/2024").isEmpty());
    // Digits of other scripts are no date.
    EXPECT_TRUE(datesOf("٠٥.٠٣.٢٠٢٤").isEmpty());
}

TEST(PatternReaderDates, MonthNameForms)
{
    const QList<QDateTime> fifthOfMarch{day(2024, 3, 5)};
    EXPECT_EQ(datesOf("5. März 2024"), fifthOfMarch);
    EXPECT_EQ(datesOf("5 MÄRZ 2024"), fifthOfMarch);
    EXPECT_EQ(datesOf("5 Maerz 2024"), fifthOfMarch);
    EXPECT_EQ(datesOf("March 5, 2024"), fifthOfMarch);
    EXPECT_EQ(datesOf("Sept. 30 2024"), QList<QDateTime>{day(2024, 9, 30)});
    EXPECT_EQ(datesOf("30 September 2024"), QList<QDateTime>{day(2024, 9, 30)});
    EXPECT_EQ(datesOf("1 Jänner 2025"), QList<QDateTime>{day(2025, 1, 1)});
    EXPECT_EQ(datesOf("Date: 14 Oct 2026"), QList<QDateTime>{day(2026, 10, 14)});
    // A month word inside a longer word is no month ("Ausmarch").
    EXPECT_TRUE(datesOf("Ausmarch 5, 2024").isEmpty());
}

TEST(PatternReaderDates, OrderIsLineThenFormThenPosition)
{
    const QList<PatternReader::DatedLine> dated = PatternReader::datedLines(
        {QStringLiteral("Leistung 5 March 2024 und 01.02.2024"), QStringLiteral("2024-01-01 / 2024-01-02")});
    ASSERT_EQ(dated.size(), 4);
    EXPECT_EQ(dated[0].date, day(2024, 2, 1)); // dotted comes before day-month
    EXPECT_EQ(dated[1].date, day(2024, 3, 5));
    EXPECT_EQ(dated[1].line, QStringLiteral("Leistung 5 March 2024 und 01.02.2024"));
    EXPECT_EQ(dated[2].date, day(2024, 1, 1));
    EXPECT_EQ(dated[3].date, day(2024, 1, 2));
    EXPECT_EQ(dated[3].line, QStringLiteral("2024-01-01 / 2024-01-02"));
}

TEST(PatternReaderDates, DocumentDateRules)
{
    // Rule 1: a date word, and no avoided word.
    EXPECT_EQ(documentDateOf({QStringLiteral("Muster GmbH"), QStringLiteral("Kunde 4711"),
                              QStringLiteral("Fällig am 30.04.2024"), QStringLiteral("Betreff"),
                              QStringLiteral("Rechnungsdatum: 02.04.2024")}),
              day(2024, 4, 2));
    // "datum" inside "Lieferdatum" does not count: that line holds an avoided word.
    EXPECT_EQ(documentDateOf({QStringLiteral("Lieferdatum: 01.04.2024"), QStringLiteral("Datum: 03.04.2024")}),
              day(2024, 4, 3));
    // Rule 2: the place-and-date line of a letter.
    EXPECT_EQ(documentDateOf({QStringLiteral("Zahlbar bis 30.04.2024"), QStringLiteral("München, den 02.04.2024")}),
              day(2024, 4, 2));
    // Rule 3: the first line without an avoided word.
    EXPECT_EQ(documentDateOf({QStringLiteral("Zahlbar bis 30.04.2024"), QStringLiteral("Stand 2024-04-05")}),
              day(2024, 4, 5));
    // Rule 4: every line avoided, the first date stands.
    EXPECT_EQ(documentDateOf({QStringLiteral("Leistungszeitraum 01.03.2024 bis 31.03.2024")}), day(2024, 3, 1));
    EXPECT_FALSE(documentDateOf({QStringLiteral("no date here")}));
    EXPECT_FALSE(PatternReader::documentDate({}));
}
