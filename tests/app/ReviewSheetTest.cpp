// The review sheet's document date as a user types it: with any separator or
// none, in the German and the English order or year first, the day typed is
// the day Return files, and a day that does not exist is never filed as
// another. The keys that open a combo box's list open the calendar.
#include "Prefs.h"
#include "ReviewSheet.h"
#include "TestSupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A sheet for an entry waiting for review whose reading holds the given day;
// it keeps what File It sends.
struct OpenSheet
{
    static JournalEntry waiting(const QDate &day)
    {
        Recognition reading;
        reading.date = CalendarUtc::noon(day);
        JournalEntry entry(std::nullopt, QStringLiteral("Inbox"), QStringLiteral("/tmp/scan.pdf"),
                           QStringLiteral("/tmp/scan.pdf"), JournalEntry::Status::review);
        entry.setRecognition(reading);
        return entry;
    }

    explicit OpenSheet(const QDate &day)
        : sheet(
              waiting(day), [this](const JournalEntry &, const Recognition &corrected) { filed = corrected; },
              [](const JournalEntry &) {})
    {
        sheet.show();
        sheet.activateWindow();
    }

    std::optional<Recognition> filed;
    ReviewSheet sheet;
};

} // namespace

TEST(ReviewSheetTest, ADateTypedWithOrWithoutSeparatorsIsTheDateFiled)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    const QLocale before;
    using Parts = QList<QDateTimeEdit::Section>;
    const Parts dayPart{QDateTimeEdit::DaySection};
    const Parts monthPart{QDateTimeEdit::MonthSection};
    const Parts eitherPart{QDateTimeEdit::DaySection, QDateTimeEdit::MonthSection};
    struct Case
    {
        QLocale locale;
        Parts typedFrom;
        QString typed;
        QString shownWhileTyping;
        QDate filed;
        bool exists = true; // false: the first Return shows the held date again and files nothing
    };
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    // The field holds 7 December 2026 before each typing.
    const QDate held(2026, 12, 7);
    const QDate fifthOfJune(2023, 6, 5);
    const QDate sixthOfMay(2023, 5, 6);
    const QList<Case> cases{
        {german, dayPart, "15.11.2026", "15.11.2026", QDate(2026, 11, 15)},
        {german, dayPart, "5.11.2026", "5.11.2026", QDate(2026, 11, 5)},
        {german, dayPart, "15112026", "15.11.2026", QDate(2026, 11, 15)},
        {german, dayPart, "29.2.2028", "29.2.2028", QDate(2028, 2, 29)},
        {german, dayPart, "15.11", "15.11.2026", QDate(2026, 11, 15)},
        {german, dayPart, "31.11.2026", "31.11.2026", held, false},
        {german, dayPart, "29.2.2027", "29.2.2027", held, false},
        {german, dayPart, "5.6.23", "5.6.23", held, false},
        {german, eitherPart, "5/6/2023", "5.6.2023", fifthOfJune},
        {german, eitherPart, "5-6-2023", "5.6.2023", fifthOfJune},
        {german, eitherPart, "5 6 2023", "5.6.2023", fifthOfJune},
        {german, eitherPart, "05062023", "05.06.2023", fifthOfJune},
        {german, eitherPart, "5.6.2023", "5.6.2023", fifthOfJune},
        {german, eitherPart, "2023-06-05", "05.06.2023", fifthOfJune},
        {english, monthPart, "11/15/2026", "11/15/2026", QDate(2026, 11, 15)},
        {english, monthPart, "11/5/2026", "11/5/2026", QDate(2026, 11, 5)},
        {english, monthPart, "11152026", "11/15/2026", QDate(2026, 11, 15)},
        {english, monthPart, "11/31/2026", "11/31/2026", held, false},
        {english, eitherPart, "5/6/2023", "5/6/2023", sixthOfMay},
        {english, eitherPart, "5-6-2023", "5/6/2023", sixthOfMay},
        {english, eitherPart, "5 6 2023", "5/6/2023", sixthOfMay},
        {english, eitherPart, "05062023", "05/06/2023", sixthOfMay},
        {english, eitherPart, "5.6.2023", "5/6/2023", sixthOfMay},
        {english, eitherPart, "2023-06-05", "06/05/2023", fifthOfJune},
    };
    for (const Case &c : cases) {
        for (const QDateTimeEdit::Section from : c.typedFrom) {
            SCOPED_TRACE(c.locale.name().toStdString() + " " + c.typed.toStdString()
                         + (from == QDateTimeEdit::DaySection ? " from the day" : " from the month"));
            QLocale::setDefault(c.locale);
            OpenSheet open(held);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&open.sheet));
            const std::optional<Recognition> &filed = open.filed;
            const ReviewSheet &sheet = open.sheet;
            QDateEdit *field = sheet.dateField();
            field->setFocus(Qt::TabFocusReason);
            field->setCurrentSection(from); // where a click in the field puts the cursor
            QTest::keyClicks(field, c.typed);
            EXPECT_EQ(field->text(), c.shownWhileTyping);

            QTest::keyClick(field, Qt::Key_Return);
            if (!c.exists) {
                // Return ended the typing only: the sheet is open and shows what it holds.
                EXPECT_FALSE(filed);
                EXPECT_TRUE(sheet.isVisible());
                EXPECT_EQ(field->text(), c.locale.toString(held, field->displayFormat()));
                QTest::keyClick(field, Qt::Key_Return);
            }
            ASSERT_TRUE(filed);
            EXPECT_FALSE(sheet.isVisible());
            EXPECT_EQ(filed->date, CalendarUtc::noon(c.filed));
            // What was filed is what the field shows and holds.
            EXPECT_EQ(field->date(), c.filed);
            EXPECT_EQ(field->text(), c.locale.toString(c.filed, field->displayFormat()));
        }
    }
    QLocale::setDefault(before);
}

TEST(ReviewSheetTest, AltDownAndF4OpenTheCalendar)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    struct Case
    {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const QList<Case> cases{
        {"Alt+Down", Qt::Key_Down, Qt::AltModifier},
        {"F4", Qt::Key_F4, Qt::NoModifier},
    };
    const QDate held(2026, 12, 7);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenSheet open(held);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&open.sheet));
        QDateEdit *field = open.sheet.dateField();
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, c.key, c.modifiers);
        ASSERT_TRUE(QApplication::activePopupWidget());
        EXPECT_TRUE(field->calendarWidget()->isVisible());
        EXPECT_EQ(field->date(), held);

        // The calendar has the keys: a day picked there is held, and the
        // Return that picks it files nothing.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_FALSE(QApplication::activePopupWidget());
        EXPECT_EQ(field->date(), held.addDays(1));
        EXPECT_FALSE(open.filed);
        EXPECT_TRUE(open.sheet.isVisible());
    }
}
