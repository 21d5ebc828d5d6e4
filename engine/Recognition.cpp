#include "Recognition.h"

#include "JsonCoding.h"

#include <QTimeZone>

namespace DocumentKinds {

namespace {
struct KindInfo
{
    const char16_t *raw;
    const char16_t *german;
    const char16_t *english;
    const char16_t *symbol;
};

constexpr std::array<KindInfo, 10> kindTable{{
    {u"invoice", u"Rechnung", u"Invoice", u"doc.text"},
    {u"receipt", u"Quittung", u"Receipt", u"receipt"},
    {u"contract", u"Vertrag", u"Contract", u"signature"},
    {u"bankStatement", u"Kontoauszug", u"Bank Statement", u"building.columns"},
    {u"payslip", u"Gehaltsabrechnung", u"Payslip", u"banknote"},
    {u"letter", u"Brief", u"Letter", u"envelope"},
    {u"screenshot", u"Bildschirmfoto", u"Screenshot", u"camera.viewfinder"},
    {u"photo", u"Foto", u"Photo", u"photo"},
    {u"installer", u"Installer", u"Installer", u"shippingbox"},
    {u"other", u"Sonstiges", u"Other", u"doc"},
}};

const KindInfo &info(DocumentKind kind)
{
    return kindTable[static_cast<std::size_t>(kind)];
}
} // namespace

QString rawValue(DocumentKind kind)
{
    return QString::fromUtf16(info(kind).raw);
}

std::optional<DocumentKind> fromRawValue(QStringView raw)
{
    for (const DocumentKind kind : allCases) {
        if (raw == QStringView(info(kind).raw))
            return kind;
    }
    return std::nullopt;
}

QString name(DocumentKind kind, NameLanguage language)
{
    return QString::fromUtf16(language == NameLanguage::de ? info(kind).german : info(kind).english);
}

QString symbol(DocumentKind kind)
{
    return QString::fromUtf16(info(kind).symbol);
}

bool isReceipt(DocumentKind kind)
{
    return kind == DocumentKind::invoice || kind == DocumentKind::receipt;
}

} // namespace DocumentKinds

namespace NameLanguages {

QString rawValue(NameLanguage language)
{
    return language == NameLanguage::de ? QStringLiteral("de") : QStringLiteral("en");
}

std::optional<NameLanguage> fromRawValue(QStringView raw)
{
    if (raw == u"de")
        return NameLanguage::de;
    if (raw == u"en")
        return NameLanguage::en;
    return std::nullopt;
}

} // namespace NameLanguages

namespace CalendarUtc {

QDateTime noon(const QDate &day)
{
    return QDateTime(day, QTime(12, 0), Qt::UTC);
}

QDate day(const QDateTime &instant)
{
    return instant.toUTC().date();
}

} // namespace CalendarUtc

QString Recognition::sourceRawValue(Source source)
{
    return source == Source::model ? QStringLiteral("model") : QStringLiteral("rules");
}

std::optional<Recognition::Source> Recognition::sourceFromRawValue(QStringView raw)
{
    if (raw == u"model")
        return Source::model;
    if (raw == u"rules")
        return Source::rules;
    return std::nullopt;
}

QJsonObject Recognition::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("kind"), DocumentKinds::rawValue(kind));
    if (sender)
        object.insert(QStringLiteral("sender"), *sender);
    if (date)
        object.insert(QStringLiteral("date"), JsonCoding::dateToJson(*date));
    if (amount)
        object.insert(QStringLiteral("amount"), JsonCoding::decimalToJson(*amount));
    if (currency)
        object.insert(QStringLiteral("currency"), *currency);
    if (title)
        object.insert(QStringLiteral("title"), *title);
    object.insert(QStringLiteral("confidence"), confidence);
    object.insert(QStringLiteral("source"), sourceRawValue(source));
    object.insert(QStringLiteral("readAt"), JsonCoding::dateToJson(readAt));
    object.insert(QStringLiteral("notes"), QJsonArray::fromStringList(notes));
    return object;
}

QByteArray Recognition::toJsonData() const
{
    return JsonCoding::serialize(toJson());
}

Recognition Recognition::fromJson(const QJsonObject &object)
{
    using namespace JsonCoding;
    Recognition result;
    const QString kindText = requiredString(object, QStringLiteral("kind"));
    const auto kind = DocumentKinds::fromRawValue(kindText);
    if (!kind)
        throw DecodeError(QStringLiteral("Unknown document kind \"%1\"").arg(kindText));
    result.kind = *kind;
    result.sender = optionalString(object, QStringLiteral("sender"));
    result.date = optionalDate(object, QStringLiteral("date"));
    result.amount = optionalDecimal(object, QStringLiteral("amount"));
    result.currency = optionalString(object, QStringLiteral("currency"));
    result.title = optionalString(object, QStringLiteral("title"));
    result.confidence = requiredNumber(object, QStringLiteral("confidence"));
    const QString sourceText = requiredString(object, QStringLiteral("source"));
    const auto source = sourceFromRawValue(sourceText);
    if (!source)
        throw DecodeError(QStringLiteral("Unknown source \"%1\"").arg(sourceText));
    result.source = *source;
    result.readAt = requiredDate(object, QStringLiteral("readAt"));
    result.notes = requiredStringList(object, QStringLiteral("notes"));
    return result;
}

Recognition Recognition::fromJsonData(const QByteArray &data)
{
    return fromJson(JsonCoding::parseObject(data));
}
