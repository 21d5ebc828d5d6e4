// Dates and reading notes as the windows show them, in either language.
#include "DateText.h"
#include "JournalRow.h"
#include "ReadingNotes.h"

#include <QTimeZone>
#include <gtest/gtest.h>

TEST(DateTextTest, DaysMonthsAndTypedDatesInEachLanguage)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale austrian(QLocale::German, QLocale::Austria);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    const QLocale british(QLocale::English, QLocale::UnitedKingdom);
    EXPECT_EQ(DateText::day(QDate(2026, 7, 5), german), QStringLiteral("5. Juli 2026"));
    EXPECT_EQ(DateText::day(QDate(2026, 7, 5), american), QStringLiteral("July 5, 2026"));
    EXPECT_EQ(DateText::day(QDate(2026, 7, 5), british), QStringLiteral("5 July 2026"));
    EXPECT_EQ(DateText::fullDay(QDate(2026, 7, 5), german), QStringLiteral("Sonntag, 5. Juli 2026"));
    EXPECT_EQ(DateText::fullDay(QDate(2026, 7, 5), american), QStringLiteral("Sunday, July 5, 2026"));
    EXPECT_EQ(DateText::month(2026, 10, german), QStringLiteral("Oktober 2026"));
    EXPECT_EQ(DateText::month(2026, 1, austrian), QStringLiteral("Jänner 2026"));
    EXPECT_EQ(DateText::month(2026, 10, american), QStringLiteral("October 2026"));
    EXPECT_EQ(DateText::month(2026, 13, american), QString());
    EXPECT_EQ(DateText::abbreviated(CalendarUtc::noon(QDate(2026, 10, 1)), german), QStringLiteral("1. Okt. 2026"));
    EXPECT_EQ(DateText::numeric(CalendarUtc::noon(QDate(2026, 10, 1)), german), QStringLiteral("1.10.2026"));
    EXPECT_EQ(DateText::numeric(CalendarUtc::noon(QDate(2026, 10, 1)), american), QStringLiteral("10/1/2026"));
    EXPECT_EQ(DateText::numeric(QDateTime(QDate(2026, 10, 1), QTime(23, 30), QTimeZone(-5 * 3600)), american),
              QStringLiteral("10/2/2026")); // the day in UTC
    EXPECT_EQ(DateText::numericFormat(german), QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(DateText::numericFormat(american), QStringLiteral("M/d/yyyy"));
    EXPECT_EQ(DateText::time(QTime(14, 5, 30), german), QStringLiteral("14:05"));

    // The tests' windows speak English, whatever the desktop's regional settings.
    EXPECT_EQ(DateText::locale().language(), QLocale::English);
    EXPECT_EQ(JournalRow::dayTitle(QDate(2026, 7, 5), QDate(2026, 8, 1)), DateText::fullDay(QDate(2026, 7, 5)));
}

TEST(ReadingNotesTest, NotesAreShownInTheWindowsLanguageAndOtherMessagesAsTheyAre)
{
    EXPECT_EQ(ReadingNotes::shown(QStringLiteral("amount: model 280.00, patterns 312.50")),
              QStringLiteral("amount: language model 280.00, text patterns 312.50"));
    EXPECT_EQ(ReadingNotes::shown(QStringLiteral("kind: model invoice, patterns receipt, no date found, no sender found")),
              QStringLiteral("kind: language model Invoice, text patterns Receipt, no date found, no sender found"));
    EXPECT_EQ(ReadingNotes::shown(QString()), QString());
    // Anything that is not wholly a list of notes stays as stored.
    for (const char *stored : {"Permission denied", "no date found, Permission denied", "no date founded",
                               "kind: model spaceship, patterns receipt", "amount: model lots, patterns 1.00",
                               "no date found,"}) {
        EXPECT_EQ(ReadingNotes::shown(QString::fromLatin1(stored)), QString::fromLatin1(stored)) << stored;
    }
}
