#include "DateText.h"

#include <QHash>

#include <unicode/dtptngen.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace DateText {

namespace {

// Building a formatter takes a while: one per locale, kept (main thread only).
const icu::SimpleDateFormat *formatter(const QLocale &locale)
{
    static QHash<QString, std::shared_ptr<icu::SimpleDateFormat>> made;
    const QString name = locale.name();
    if (const auto found = made.constFind(name); found != made.constEnd())
        return found->get();
    const icu::Locale icuLocale(name.toUtf8().constData());
    UErrorCode status = U_ZERO_ERROR;
    std::shared_ptr<icu::SimpleDateFormat> format;
    const std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(icuLocale, status));
    if (U_SUCCESS(status)) {
        const icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString(u"yMMMd"), status);
        format = std::make_shared<icu::SimpleDateFormat>(pattern, icuLocale, status);
        if (U_SUCCESS(status))
            format->adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString(u"UTC")));
        else
            format.reset();
    }
    made.insert(name, format);
    return format.get();
}

} // namespace

QString abbreviated(const QDateTime &instant, const QLocale &locale)
{
    if (!instant.isValid())
        return {};
    if (const icu::SimpleDateFormat *format = formatter(locale)) {
        icu::UnicodeString text;
        format->format(UDate(instant.toMSecsSinceEpoch()), text);
        return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
    }
    return locale.toString(instant.toUTC().date(), QLocale::ShortFormat);
}

} // namespace DateText
