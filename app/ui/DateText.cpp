#include "DateText.h"

#include "Prefs.h"
#include "Recognition.h"

#include <QHash>

#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace DateText {

namespace {

// Building a formatter takes a while: one per locale and skeleton, kept
// (main thread only). All of them format in UTC.
const icu::SimpleDateFormat *formatter(const QLocale &locale, const char16_t *skeleton)
{
    static QHash<QString, std::shared_ptr<icu::SimpleDateFormat>> made;
    const QString name = locale.name();
    const QString key = name + u'/' + QString::fromUtf16(skeleton);
    if (const auto found = made.constFind(key); found != made.constEnd())
        return found->get();
    const icu::Locale icuLocale(name.toUtf8().constData());
    UErrorCode status = U_ZERO_ERROR;
    std::shared_ptr<icu::SimpleDateFormat> format;
    const std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(icuLocale, status));
    if (U_SUCCESS(status)) {
        const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString(skeleton), status);
        format = std::make_shared<icu::SimpleDateFormat>(pattern, icuLocale, status);
        if (U_SUCCESS(status))
            format->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString(u"UTC")));
        else
            format.reset();
    }
    made.insert(key, format);
    return format.get();
}

std::optional<QString> formatted(const QDateTime &instant, const QLocale &locale, const char16_t *skeleton)
{
    const icu::SimpleDateFormat *format = formatter(locale, skeleton);
    if (!format)
        return std::nullopt;
    icu::UnicodeString text;
    format->format(UDate(instant.toMSecsSinceEpoch()), text);
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

} // namespace

QLocale locale()
{
    return locale(Prefs::sentenceLanguage());
}

QLocale locale(NameLanguage language)
{
    // The desktop's own locale object may name one language and answer for
    // formats from another setting (LC_TIME): only its language and country
    // are taken.
    const QLocale desktop;
    const bool german = language == NameLanguage::de;
    if (desktop.language() == (german ? QLocale::German : QLocale::English))
        return QLocale(desktop.language(), desktop.territory());
    return german ? QLocale(QLocale::German, QLocale::Germany) : QLocale(QLocale::English, QLocale::UnitedStates);
}

QString abbreviated(const QDateTime &instant, const QLocale &locale)
{
    if (!instant.isValid())
        return {};
    return formatted(instant, locale, u"yMMMd").value_or(locale.toString(instant.toUTC().date(), QLocale::ShortFormat));
}

QString numeric(const QDateTime &instant, const QLocale &locale)
{
    if (!instant.isValid())
        return {};
    return formatted(instant, locale, u"yMd").value_or(locale.toString(instant.toUTC().date(), numericFormat(locale)));
}

QString day(const QDate &day, const QLocale &locale)
{
    if (!day.isValid())
        return {};
    return formatted(CalendarUtc::noon(day), locale, u"yMMMMd").value_or(locale.toString(day, QLocale::LongFormat));
}

QString fullDay(const QDate &day, const QLocale &locale)
{
    if (!day.isValid())
        return {};
    return formatted(CalendarUtc::noon(day), locale, u"yMMMMEEEEd").value_or(locale.toString(day, QLocale::LongFormat));
}

QString month(int year, int month, const QLocale &locale)
{
    const QDate first(year, month, 1);
    if (!first.isValid())
        return {};
    return formatted(CalendarUtc::noon(first), locale, u"yMMMM")
        .value_or(locale.standaloneMonthName(month, QLocale::LongFormat) + u' ' + QString::number(year));
}

QString time(const QTime &time, const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QLatin1String(":ss"));
    return locale.toString(time, format);
}

QString numericFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

} // namespace DateText
