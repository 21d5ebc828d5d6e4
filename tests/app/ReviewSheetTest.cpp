// The review sheet's document date as a user types it: with or without the
// separators, in the German and the English order, the day typed is the day
// Return files, and a day that does not exist is never filed as another.
#include "Prefs.h"
#include "ReviewSheet.h"
#include "TestSupport.h"

#include <QDateEdit>
#include <QTest>
#include <gtest/gtest.h>

TEST(ReviewSheetTest, ADateTypedWithOrWithoutSeparatorsIsTheDateFiled)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    const QLocale before;
    struct Case
    {
        QLocale locale;
        QString typed;
        QString shownWhileTyping;
        QDate filed;
    };
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    // The field holds 7 December 2026 before each typing.
    const QDate held(2026, 12, 7);
    const QList<Case> cases{
        {german, "15.11.2026", "15.11.2026", QDate(2026, 11, 15)},
        {german, "5.11.2026", "05.11.2026", QDate(2026, 11, 5)},
        {german, "15112026", "15.11.2026", QDate(2026, 11, 15)},
        {german, "29.2.2028", "29.02.2028", QDate(2028, 2, 29)},
        {german, "15.11", "15.11.2026", QDate(2026, 11, 15)},
        {german, "31.11.2026", "31.11.2026", held},
        {german, "29.2.2027", "29.2.2027", held},
        {english, "11/15/2026", "11/15/2026", QDate(2026, 11, 15)},
        {english, "11/5/2026", "11/5/2026", QDate(2026, 11, 5)},
        {english, "11152026", "11/15/2026", QDate(2026, 11, 15)},
        {english, "11/31/2026", "11/31/2026", held},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString() + " " + c.typed.toStdString());
        QLocale::setDefault(c.locale);
        Recognition reading;
        reading.date = CalendarUtc::noon(held);
        JournalEntry entry(std::nullopt, QStringLiteral("Inbox"), QStringLiteral("/tmp/scan.pdf"),
                           QStringLiteral("/tmp/scan.pdf"), JournalEntry::Status::review);
        entry.setRecognition(reading);
        std::optional<Recognition> filed;
        ReviewSheet sheet(
            entry, [&filed](const JournalEntry &, const Recognition &corrected) { filed = corrected; },
            [](const JournalEntry &) {});
        sheet.show();
        sheet.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
        QDateEdit *field = sheet.dateField();
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(field, c.typed);
        EXPECT_EQ(field->text(), c.shownWhileTyping);

        QTest::keyClick(field, Qt::Key_Return);
        ASSERT_TRUE(filed);
        EXPECT_EQ(filed->date, CalendarUtc::noon(c.filed));
        // What was filed is what the field shows and holds.
        EXPECT_EQ(field->date(), c.filed);
        EXPECT_EQ(field->text(), c.locale.toString(c.filed, field->displayFormat()));
    }
    QLocale::setDefault(before);
}
