// Days, months and times as the windows show them: in the language the
// windows speak ("5. Juli 2026" beside German texts, "Jul 5, 2026" beside
// English ones), never in a third one from the desktop's regional settings.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

enum class NameLanguage;

namespace DateText {

// The desktop's locale when it speaks the windows' language (so "de_AT" or
// "en_GB" keep their own order of day and month), else that language's
// usual locale.
QLocale locale();
// The same for a language of its own: a text for a process that speaks it.
QLocale locale(NameLanguage language);

// The day of the instant in UTC, where every document day is held at noon,
// so that the day shown is the same in every time zone: "31. Dez. 2024".
QString abbreviated(const QDateTime &instant, const QLocale &locale = DateText::locale());

// The day of the instant in UTC in digits only: "1.10.2026", "10/1/2026".
QString numeric(const QDateTime &instant, const QLocale &locale = DateText::locale());

// A calendar day with the month's full name: "5. Juli 2026", "July 5, 2026".
QString day(const QDate &day, const QLocale &locale = DateText::locale());

// A calendar day with its weekday, as a heading: "Montag, 2. März 2026",
// "Monday, March 2, 2026".
QString fullDay(const QDate &day, const QLocale &locale = DateText::locale());

// A month and its year as a title: "Oktober 2026", "October 2026".
QString month(int year, int month, const QLocale &locale = DateText::locale());

// The time of day without seconds: "14:05", "2:05 PM".
QString time(const QTime &time, const QLocale &locale = DateText::locale());

// The short numeric format of the locale with the year in full, for typing
// a day ("dd.MM.yyyy", "M/d/yyyy").
QString numericFormat(const QLocale &locale = DateText::locale());

} // namespace DateText
