// The review sheet's document date as a user types it: with any separator or
// none, in the German and the English order or year first, the day typed is
// the day Return files, and a day that does not exist is never filed as
// another: the sheet says why under the field, keeps what it held, and the
// key or click that ended such a typing files nothing; a Return that ends no
// typing files the date the entry holds, none included. The keys that open a
// combo box's list open the calendar. Long values show their start. A click
// whose press ends a typing acts where the press found its button.
#include "DesktopLook.h"
#include "Prefs.h"
#include "ReviewSheet.h"
#include "TestSupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A sheet for an entry waiting for review whose reading holds the given day,
// or none; it keeps what File It sends.
struct OpenSheet
{
    static JournalEntry waiting(const std::optional<QDate> &day, const QString &sender)
    {
        Recognition reading;
        if (day)
            reading.date = CalendarUtc::noon(*day);
        if (!sender.isEmpty())
            reading.sender = sender;
        JournalEntry entry(std::nullopt, QStringLiteral("Inbox"), QStringLiteral("/tmp/scan.pdf"),
                           QStringLiteral("/tmp/scan.pdf"), JournalEntry::Status::review);
        entry.setRecognition(reading);
        return entry;
    }

    explicit OpenSheet(const std::optional<QDate> &day, const QString &sender = {})
        : sheet(
              waiting(day, sender), [this](const JournalEntry &, const Recognition &corrected) { filed = corrected; },
              [](const JournalEntry &) {})
    {
        sheet.show();
        sheet.activateWindow();
    }

    std::optional<Recognition> filed;
    ReviewSheet sheet;
};

// The date field with the keys typed into it from the given part.
QDateEdit *typeInto(const ReviewSheet &sheet, QDateTimeEdit::Section from, const QString &typed)
{
    QDateEdit *field = sheet.dateField();
    field->setFocus(Qt::TabFocusReason);
    field->setCurrentSection(from); // where a click in the field puts the cursor
    QTest::keyClicks(field, typed);
    return field;
}

bool noteShown(const ReviewSheet &sheet)
{
    return sheet.dateNote()->isVisibleTo(&sheet);
}

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
        // Empty: the day typed is taken. Else the first Return shows the held
        // date again with this line under the field, and files nothing.
        QString note;
    };
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    // The field holds 7 December 2026 before each typing.
    const QDate held(2026, 12, 7);
    const QDate fifthOfJune(2023, 6, 5);
    const QDate sixthOfMay(2023, 5, 6);
    const QString keptGerman = QStringLiteral("; the date stays 07.12.2026.");
    const QList<Case> cases{
        {german, dayPart, "15.11.2026", "15.11.2026", QDate(2026, 11, 15)},
        {german, dayPart, "5.11.2026", "5.11.2026", QDate(2026, 11, 5)},
        {german, dayPart, "15112026", "15.11.2026", QDate(2026, 11, 15)},
        {german, dayPart, "29.2.2028", "29.2.2028", QDate(2028, 2, 29)},
        {german, dayPart, "15.11", "15.11.2026", QDate(2026, 11, 15)},
        {german, dayPart, "31.11.2026", "31.11.2026", held, "There is no 31.11.2026" + keptGerman},
        {german, dayPart, "29.2.2027", "29.2.2027", held, "There is no 29.2.2027" + keptGerman},
        {german, dayPart, "5.6.23", "5.6.23", fifthOfJune},
        {german, dayPart, "5.6.26", "5.6.26", QDate(2026, 6, 5)},
        {german, dayPart, "5.6.95", "5.6.95", QDate(2095, 6, 5)},
        {german, dayPart, "5.6.026", "5.6.026", held, "The year in 5.6.026 is not complete" + keptGerman},
        {german, dayPart, "5.6.2", "5.6.2", held, "The year in 5.6.2 is not complete" + keptGerman},
        {german, dayPart, "050626", "05.06.26", held, "The year in 05.06.26 is not complete" + keptGerman},
        {german, dayPart, "5.6.1989", "5.6.1989", held, "5.6.1989 is before the year 1990" + keptGerman},
        {german, dayPart, "1.1.2101", "1.1.2101", held, "1.1.2101 is after the year 2100" + keptGerman},
        {german, eitherPart, "5/6/2023", "5.6.2023", fifthOfJune},
        {german, eitherPart, "5-6-2023", "5.6.2023", fifthOfJune},
        {german, eitherPart, "5 6 2023", "5.6.2023", fifthOfJune},
        {german, eitherPart, "05062023", "05.06.2023", fifthOfJune},
        {german, eitherPart, "5.6.2023", "5.6.2023", fifthOfJune},
        {german, eitherPart, "2023-06-05", "05.06.2023", fifthOfJune},
        {english, monthPart, "11/15/2026", "11/15/2026", QDate(2026, 11, 15)},
        {english, monthPart, "11/5/2026", "11/5/2026", QDate(2026, 11, 5)},
        {english, monthPart, "11152026", "11/15/2026", QDate(2026, 11, 15)},
        {english, monthPart, "11/31/2026", "11/31/2026", held, "There is no 11/31/2026; the date stays 12/7/2026."},
        {english, monthPart, "6/5/26", "6/5/26", QDate(2026, 6, 5)},
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
            QDateEdit *field = typeInto(sheet, from, c.typed);
            EXPECT_EQ(field->text(), c.shownWhileTyping);

            QTest::keyClick(field, Qt::Key_Return);
            if (!c.note.isEmpty()) {
                // Return ended the typing only: the sheet is open, shows what it holds and says why.
                EXPECT_FALSE(filed);
                EXPECT_TRUE(sheet.isVisible());
                EXPECT_EQ(field->text(), c.locale.toString(held, field->displayFormat()));
                EXPECT_TRUE(noteShown(sheet));
                EXPECT_EQ(sheet.dateNote()->text().toStdString(), c.note.toStdString());
                QTest::keyClick(field, Qt::Key_Return);
            } else {
                EXPECT_FALSE(noteShown(sheet));
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

TEST(ReviewSheetTest, WhateverEndsARefusedTypingFilesNothingAndTheNextFileItFilesWhatTheFieldHolds)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    struct Ending
    {
        const char *name;
        std::function<void(ReviewSheet &)> end;
    };
    const QList<Ending> endings{
        {"Return", [](ReviewSheet &sheet) { QTest::keyClick(sheet.dateField(), Qt::Key_Return); }},
        {"Tab", [](ReviewSheet &sheet) { QTest::keyClick(sheet.dateField(), Qt::Key_Tab); }},
        {"a click on File It", [](ReviewSheet &sheet) { QTest::mouseClick(sheet.fileButton(), Qt::LeftButton); }},
    };
    struct Entry
    {
        const char *name;
        std::optional<QDate> day;
        QString note;
    };
    const QList<Entry> entries{
        {"with a date", QDate(2026, 6, 5), "There is no 31.11.2026; the date stays 05.06.2026."},
        {"without a date", std::nullopt, "There is no 31.11.2026; the document keeps no date."},
    };
    for (const Entry &entry : entries) {
        for (const Ending &ending : endings) {
            SCOPED_TRACE(std::string(entry.name) + ", ended by " + ending.name);
            OpenSheet open(entry.day);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&open.sheet));
            ReviewSheet &sheet = open.sheet;
            const QDate shown = sheet.dateField()->date(); // today for an entry without a date
            typeInto(sheet, QDateTimeEdit::DaySection, QStringLiteral("31.11.2026"));
            ending.end(sheet);
            EXPECT_FALSE(open.filed);
            EXPECT_TRUE(sheet.isVisible());
            EXPECT_TRUE(noteShown(sheet));
            EXPECT_EQ(sheet.dateNote()->text().toStdString(), entry.note.toStdString());
            EXPECT_EQ(sheet.dateField()->date(), shown);
            EXPECT_EQ(sheet.dateField()->text(), QLocale().toString(shown, sheet.dateField()->displayFormat()));

            QTest::mouseClick(sheet.fileButton(), Qt::LeftButton);
            ASSERT_TRUE(open.filed);
            EXPECT_FALSE(sheet.isVisible());
            EXPECT_EQ(open.filed->date, entry.day ? std::optional(CalendarUtc::noon(*entry.day)) : std::nullopt);
        }
    }
    QLocale::setDefault(before);
}

TEST(ReviewSheetTest, TheRefusalStaysUntilTheFieldsDateOrTextChanges)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    struct Case
    {
        const char *name;
        std::function<void(QDateEdit *)> change;
        QDate held; // after the change
    };
    const QDate day(2026, 6, 5);
    const QList<Case> cases{
        {"a key typed", [](QDateEdit *field) { QTest::keyClick(field, Qt::Key_1); }, day},
        {"the date stepped", [](QDateEdit *field) { QTest::keyClick(field, Qt::Key_Up); }, day.addDays(1)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenSheet open(day);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&open.sheet));
        QDateEdit *field = typeInto(open.sheet, QDateTimeEdit::DaySection, QStringLiteral("31.11"));
        QTest::keyClick(field, Qt::Key_Tab);
        ASSERT_TRUE(noteShown(open.sheet));
        // Coming back to the field changes neither.
        field->setFocus(Qt::BacktabFocusReason);
        field->setCurrentSection(QDateTimeEdit::DaySection);
        EXPECT_TRUE(noteShown(open.sheet));
        c.change(field);
        EXPECT_FALSE(noteShown(open.sheet));
        EXPECT_EQ(field->date(), c.held);
    }
    QLocale::setDefault(before);
}

TEST(ReviewSheetTest, ATodayTypedForAnEntryWithoutADateIsFiled)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    OpenSheet open(std::nullopt);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&open.sheet));
    // The field shows today without holding it; typing it holds it.
    const QDate today = open.sheet.dateField()->date();
    QDateEdit *field = typeInto(open.sheet, QDateTimeEdit::DaySection, QLocale().toString(today, "d.M.yyyy"));
    QTest::keyClick(field, Qt::Key_Tab);
    QTest::mouseClick(open.sheet.fileButton(), Qt::LeftButton);
    ASSERT_TRUE(open.filed);
    EXPECT_EQ(open.filed->date, CalendarUtc::noon(today));
    QLocale::setDefault(before);
}

TEST(ReviewSheetTest, ALongSenderShowsItsStart)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    const QString sender = QStringLiteral("Eine sehr lange Firmenbezeichnung GmbH & Co. KG Niederlassung Süd, "
                                          "Abteilung Rechnungswesen und Buchhaltung");
    OpenSheet open(QDate(2026, 6, 5), sender);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&open.sheet));
    QLineEdit *field = open.sheet.senderField();
    ASSERT_GT(field->fontMetrics().horizontalAdvance(sender), field->width());
    field->repaint();
    // The first character stands at the field's left edge.
    EXPECT_EQ(field->cursorPositionAt(QPoint(field->contentsRect().left() + 4, field->height() / 2)), 0);
    EXPECT_EQ(open.sheet.corrected().sender, sender);
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

TEST(ReviewSheetTest, AReturnThatEndsNoTypingFilesTheDateTheEntryHolds)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    struct Entry
    {
        const char *name;
        std::optional<QDate> day;
        QString refusal; // under the field after a day that does not exist
    };
    const QList<Entry> entries{
        {"without a date", std::nullopt, "There is no 11/31/2026; the document keeps no date."},
        {"with a date", QDate(2026, 6, 5), "There is no 11/31/2026; the date stays 6/5/2026."},
    };
    enum class Typing { none, refused, shownDay };
    for (const Entry &entry : entries) {
        for (const Typing typing : {Typing::none, Typing::refused, Typing::shownDay}) {
            const char *typed[] = {"nothing typed", "a refused day, then Return", "the day shown typed"};
            SCOPED_TRACE(std::string(entry.name) + ", " + typed[int(typing)]);
            OpenSheet open(entry.day);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&open.sheet));
            const QDate shown = open.sheet.dateField()->date(); // today for an entry without a date
            QTest::mouseClick(open.sheet.senderField(), Qt::LeftButton);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            ASSERT_EQ(QApplication::focusWidget(), open.sheet.dateField());
            if (typing == Typing::refused) {
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("11/31/2026"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                EXPECT_FALSE(open.filed);
                ASSERT_TRUE(open.sheet.isVisible());
                EXPECT_EQ(open.sheet.dateNote()->text(), entry.refusal);
            }
            // A day typed is taken, the day shown included.
            if (typing == Typing::shownDay)
                QTest::keyClicks(QApplication::focusWidget(), QLocale::c().toString(shown, u"M/d/yyyy"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            ASSERT_TRUE(open.filed);
            EXPECT_FALSE(open.sheet.isVisible());
            const bool dated = entry.day || typing == Typing::shownDay;
            EXPECT_EQ(open.filed->date, dated ? std::optional(CalendarUtc::noon(shown)) : std::nullopt);
        }
    }
}

TEST(ReviewSheetTest, AClickThatEndsATypingActsOnTheButtonItPressed)
{
    const TestSupport::ScopedSettings settings;
    Prefs::registerDefaults();
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    enum class Outcome { filed, skipped, cancelled, open };
    struct Case
    {
        const char *name;
        bool afterRefusal; // "2/30/2026" refused by Return first
        QString typed;
        QPushButton *(*button)(ReviewSheet &);
        Outcome outcome;
        QDate filed;
    };
    const auto fileIt = [](ReviewSheet &sheet) { return sheet.fileButton(); };
    const auto skip = [](ReviewSheet &sheet) { return sheet.skipButton(); };
    const auto cancel = [](ReviewSheet &sheet) -> QPushButton * {
        for (QPushButton *button : sheet.findChildren<QPushButton *>())
            if (button->text() == u"Cancel")
                return button;
        return nullptr;
    };
    const QDate held(2026, 7, 5);
    const QList<Case> cases{
        {"a real day after a refused one, then File It", true, "2/20/2026", fileIt, Outcome::filed, QDate(2026, 2, 20)},
        {"a refused day, then Skip", false, "2/30/2026", skip, Outcome::skipped, {}},
        {"a refused day, then Cancel", false, "2/30/2026", cancel, Outcome::cancelled, {}},
        {"a refused day, then File It", false, "2/30/2026", fileIt, Outcome::open, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // As the journal presents it: over its window, closed and deleted by its buttons.
        QWidget window;
        window.resize(900, 700);
        window.show();
        std::optional<QDate> filed;
        bool skipped = false;
        const QPointer<ReviewSheet> sheet = new ReviewSheet(
            OpenSheet::waiting(held, QString()),
            [&filed](const JournalEntry &, const Recognition &corrected) { filed = CalendarUtc::day(*corrected.date); },
            [&skipped](const JournalEntry &) { skipped = true; }, &window);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
        // The sheet opens with no field focused: it takes the focus itself on
        // the turn of the event loop after it is active, which would end a
        // typing begun before.
        DesktopLook::settle();
        ASSERT_EQ(QApplication::focusWidget(), sheet);
        if (c.afterRefusal) {
            QTest::keyClick(typeInto(*sheet, QDateTimeEdit::MonthSection, QStringLiteral("2/30/2026")), Qt::Key_Return);
            ASSERT_TRUE(noteShown(*sheet));
        }
        typeInto(*sheet, QDateTimeEdit::MonthSection, c.typed);
        // The typing hides the line at its first key, with no button down.
        EXPECT_FALSE(noteShown(*sheet));
        DesktopLook::settle();

        // The user's press and, once the sheet has made whatever change of
        // its layout the press set off, the release at the same point of the
        // window: no button has moved away from under the pointer meanwhile.
        QPushButton *button = c.button(*sheet);
        ASSERT_TRUE(button);
        QWindow *shown = sheet->windowHandle();
        const QPoint at = button->mapTo(sheet->window(), button->rect().center());
        const auto places = [&] {
            QList<QRect> rects;
            for (const QPushButton *each : sheet->findChildren<QPushButton *>())
                rects.append(QRect(each->mapTo(sheet->window(), QPoint(0, 0)), each->size()));
            return rects;
        };
        const QList<QRect> before = places();
        QTest::mousePress(shown, Qt::LeftButton, {}, at);
        DesktopLook::settle();
        EXPECT_EQ(places(), before) << "a button moved while the mouse button was down";
        QTest::mouseRelease(shown, Qt::LeftButton, {}, at);
        if (c.outcome != Outcome::open) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !sheet || !sheet->isVisible(); }));
        }
        DesktopLook::settle();

        EXPECT_EQ(filed, c.outcome == Outcome::filed ? std::optional(c.filed) : std::nullopt);
        EXPECT_EQ(skipped, c.outcome == Outcome::skipped);
        EXPECT_EQ(sheet && sheet->isVisible(), c.outcome == Outcome::open);
        if (c.outcome == Outcome::open) {
            // That click ended the typing only; the line says why, and the next click files what the field holds.
            EXPECT_TRUE(noteShown(*sheet));
            QTest::mouseClick(sheet->fileButton(), Qt::LeftButton);
            EXPECT_EQ(filed, std::optional(held));
        }
        delete sheet;
    }
    QLocale::setDefault(before);
}
