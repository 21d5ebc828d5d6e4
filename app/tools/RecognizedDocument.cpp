#include "RecognizedDocument.h"

#include "Recognition.h"

namespace {
constexpr auto dayFormat = "yyyy-MM-dd";

QJsonValue orNull(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}
} // namespace

RecognizedDocument RecognizedDocument::from(const Recognition &recognition, NameLanguage language)
{
    RecognizedDocument document;
    document.kind = DocumentKinds::name(recognition.kind, language);
    document.sender = recognition.sender;
    document.date = recognition.date;
    if (recognition.amount)
        document.amount = recognition.amount->toDouble();
    document.currency = recognition.currency;
    document.needsReview = recognition.needsReview();
    return document;
}

QVariantMap RecognizedDocument::toVariantMap() const
{
    QVariantMap map{{QStringLiteral("kind"), kind}, {QStringLiteral("needsReview"), needsReview}};
    if (sender)
        map.insert(QStringLiteral("sender"), *sender);
    if (date)
        map.insert(QStringLiteral("date"), CalendarUtc::day(*date).toString(QLatin1String(dayFormat)));
    if (amount)
        map.insert(QStringLiteral("amount"), *amount);
    if (currency)
        map.insert(QStringLiteral("currency"), *currency);
    return map;
}

RecognizedDocument RecognizedDocument::fromVariantMap(const QVariantMap &map)
{
    const auto text = [&map](const char *key) -> std::optional<QString> {
        const QVariant value = map.value(QLatin1String(key));
        return value.isValid() ? std::optional<QString>(value.toString()) : std::nullopt;
    };
    RecognizedDocument document;
    document.kind = map.value(QStringLiteral("kind")).toString();
    document.sender = text("sender");
    if (const std::optional<QString> day = text("date")) {
        const QDate parsed = QDate::fromString(*day, QLatin1String(dayFormat));
        if (parsed.isValid())
            document.date = CalendarUtc::noon(parsed);
    }
    if (map.contains(QStringLiteral("amount")))
        document.amount = map.value(QStringLiteral("amount")).toDouble();
    document.currency = text("currency");
    document.needsReview = map.value(QStringLiteral("needsReview"), true).toBool();
    return document;
}

QJsonObject RecognizedDocument::toJson() const
{
    const QVariantMap map = toVariantMap();
    return QJsonObject{
        {QStringLiteral("kind"), kind},
        {QStringLiteral("sender"), orNull(sender)},
        {QStringLiteral("date"), date ? map.value(QStringLiteral("date")).toJsonValue() : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("amount"), amount ? QJsonValue(*amount) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("currency"), orNull(currency)},
        {QStringLiteral("needsReview"), needsReview},
    };
}
