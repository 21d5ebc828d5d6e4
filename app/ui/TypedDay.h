// A day as a person types it into a date field, one key at a time: digits,
// and any of ".", "/", "-" and a space between the numbers, whatever the
// field's own separator. Three numbers, or eight digits in one run, are a
// whole date wherever in the field the typing began: year-month-day when the
// first number has four digits (the order of the program's file names),
// otherwise the field's display order; eight digits always in the display
// order, two each for day and month. Fewer numbers fill the part the typing
// began in and the parts after it, a run of digits cut by the parts' widths.
// Parts not typed keep the held date's values. A year of two digits typed as
// a number of its own is 2000 plus it, as people write "5.6.26"; a run of
// digits that reaches into the year gives it all four, so that "050626" is
// not read as a whole date.
#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

class TypedDay
{
public:
    enum class Part { day, month, year };
    // One part of the display format and the text shown after it.
    struct Section
    {
        Part part;
        int shown; // digits the held value is shown with, zeros in front
        QString separator;
    };
    using Order = QList<Section>;

    // The sections of a display format of numeric day, month and four-digit
    // year; none for any other format (names of months, two-digit years).
    static std::optional<Order> order(const QString &format);
    static bool isSeparator(QChar key);

    // A typing that begins in the section at index start of the order.
    TypedDay(Order order, int start);

    // Takes a digit or a separator; false when the key is not taken (more
    // digits than a date holds, or a separator with no number before it).
    bool type(QChar key);
    // Takes back the key typed last.
    void erase();
    bool isEmpty() const { return m_keys.isEmpty(); }

    // Why typed keys give no day.
    enum class Fault {
        yearNotWhole, // one or three digits, or a run of digits cut short in the year
        noSuchDay, // a day the month does not have, or no such month
    };
    // The typed day with the held date's values in the parts not typed, or
    // why the keys give none.
    std::variant<QDate, Fault> day(const QDate &held) const;

    // The field's text while typing: the typed parts as typed, the others as
    // the held date has them; the cursor stands after the part typed last.
    struct Text
    {
        QString text;
        int cursor = 0;
    };
    Text text(const QDate &held) const;

private:
    // The digits typed into each section of the order (empty: not typed),
    // and the index of the section the last number went into.
    struct Reading
    {
        QList<QString> digits;
        qsizetype last = -1;
        bool run = false; // one run of digits over more than one section
    };
    Reading read() const;
    QString lastNumber() const;

    Order m_order;
    int m_start;
    QString m_keys; // the digits typed, and '.' for any separator
};
