// Document days as people read them: "31 Dec 2024", "Dec 31, 2024",
// "31. Dez. 2024", by the user's locale, without a time.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace DateText {

// The day of the instant in UTC, where every document day is held at noon,
// so that the day shown is the same in every time zone.
QString abbreviated(const QDateTime &instant, const QLocale &locale = QLocale());

} // namespace DateText
