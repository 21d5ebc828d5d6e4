// Days, the five written date forms and the choice of the document date.
#include "PatternReader.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QDateTime day(int year, int month, int dayOfMonth)
{
    return QDateTime(QDate(year, month, dayOfMonth), QTime(12, 0), Qt::UTC);
}

QList<QDateTime> datesOf(const char *line)
{
    QList<QDateTime> dates;
    for (const PatternReader::DatedLine &entry : PatternReader::datedLines({QString::fromUtf8(line)}))
        dates.append(entry.date);
    return dates;
}

} // namespace

TEST(PatternReaderDates, MakeDateKeepsToRealDaysInRange)
{
    const std::optional<QDateTime> leap = PatternReader::makeDate(2024, 2, 29);
    ASSERT_TRUE(leap);
    EXPECT_EQ(*leap, day(2024, 2, 29));
    EXPECT_EQ(leap->timeSpec(), Qt::UTC);
    EXPECT_EQ(PatternReader::makeDate(2100, 12, 31), day(2100, 12, 31));
    EXPECT_EQ(PatternReader::makeDate(1990, 1, 1), day(1990, 1, 1));
    for (const auto &[y, m, d] : {std::tuple{2023, 2, 29}, {2024, 4, 31}, {1989, 12, 31}, {2101, 1, 1}, {2024, 13, 1},
                                  {2024, 0, 1}, {2024, 1, 0}})
        EXPECT_FALSE(PatternReader::makeDate(y, m, d)) << y << '-' << m << '-' << d;
}

TEST(PatternReaderDates, WrittenForms)
{
    const QList<QDateTime> fifthOfMarch{day(2024, 3, 5)};
    const QList<QDateTime> firstOfFebruary{day(2024, 2, 1)};
    const std::pair<const char *, QList<QDateTime>> cases[] = {
        {"Datum: 05.03.24", fifthOfMarch}, {"Berlin, 2024-03-05", fifthOfMarch}, {"1.2.2024", firstOfFebruary},
        {"am 1. 2. 2024", firstOfFebruary}, {"12.2024", {}}, {"2024-3-5", {}}, {"12024-03-05", {}},
        {"31.02.2024", {}}, // a day February does not have
        // Slashed: month first unless the first number cannot be a month.
        {"03/04/2024", {day(2024, 3, 4)}}, {"13/04/2024", {day(2024, 4, 13)}}, {"31/13/2024", {}},
        {"٠٥.٠٣.٢٠٢٤", {}}, // digits of other scripts
        {"5. März 2024", fifthOfMarch}, {"5 MÄRZ 2024", fifthOfMarch}, {"5 Maerz 2024", fifthOfMarch},
        {"March 5, 2024", fifthOfMarch}, {"Sept. 30 2024", {day(2024, 9, 30)}}, {"30 September 2024", {day(2024, 9, 30)}},
        {"1 Jänner 2025", {day(2025, 1, 1)}}, {"Date: 14 Oct 2026", {day(2026, 10, 14)}},
        {"Ausmarch 5, 2024", {}}, // a month word inside a longer word
    };
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(datesOf(line), expected) << line;
}

TEST(PatternReaderDates, OrderIsLineThenFormThenPosition)
{
    const QString first = u"Leistung 5 March 2024 und 01.02.2024"_s;
    const QString second = u"2024-01-01 / 2024-01-02"_s;
    const QList<PatternReader::DatedLine> dated = PatternReader::datedLines({first, second});
    ASSERT_EQ(dated.size(), 4);
    EXPECT_EQ(dated[0].date, day(2024, 2, 1)); // dotted comes before day-month
    EXPECT_EQ(dated[1].date, day(2024, 3, 5));
    EXPECT_EQ(dated[1].line, first);
    EXPECT_EQ(dated[2].date, day(2024, 1, 1));
    EXPECT_EQ(dated[3].date, day(2024, 1, 2));
    EXPECT_EQ(dated[3].line, second);
}

TEST(PatternReaderDates, DocumentDateRules)
{
    const std::pair<const char *, std::optional<QDateTime>> cases[] = {
        // Rule 1: a date word, and no avoided word.
        {"Muster GmbH\nKunde 4711\nFällig am 30.04.2024\nBetreff\nRechnungsdatum: 02.04.2024", day(2024, 4, 2)},
        // "datum" inside "Lieferdatum" does not count: that line holds an avoided word.
        {"Lieferdatum: 01.04.2024\nDatum: 03.04.2024", day(2024, 4, 3)},
        // Rule 2: the place-and-date line of a letter.
        {"Zahlbar bis 30.04.2024\nMünchen, den 02.04.2024", day(2024, 4, 2)},
        // Rule 3: the first line without an avoided word.
        {"Zahlbar bis 30.04.2024\nStand 2024-04-05", day(2024, 4, 5)},
        // Rule 4: every line avoided, the first date stands.
        {"Leistungszeitraum 01.03.2024 bis 31.03.2024", day(2024, 3, 1)},
        {"no date here", std::nullopt},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(PatternReader::documentDate(PatternReader::datedLines(QString::fromUtf8(text).split(u'\n'))), expected)
            << text;
    EXPECT_FALSE(PatternReader::documentDate({}));
}
