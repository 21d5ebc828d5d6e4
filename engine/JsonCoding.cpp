#include "JsonCoding.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace JsonCoding {

DecodeError::DecodeError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

namespace {

QJsonValue present(const QJsonObject &object, const QString &key)
{
    const auto it = object.constFind(key);
    if (it == object.constEnd() || it->isNull())
        return QJsonValue(QJsonValue::Undefined);
    return *it;
}

QJsonValue required(const QJsonObject &object, const QString &key)
{
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        throw DecodeError(QStringLiteral("Missing key \"%1\"").arg(key));
    if (it->isNull())
        throw DecodeError(QStringLiteral("Key \"%1\" is null").arg(key));
    return *it;
}

[[noreturn]] void wrongType(const QString &key, const char *expected)
{
    throw DecodeError(QStringLiteral("Key \"%1\" is not %2").arg(key, QLatin1String(expected)));
}

QString asString(const QJsonValue &value, const QString &key)
{
    if (!value.isString())
        wrongType(key, "a string");
    return value.toString();
}

double asNumber(const QJsonValue &value, const QString &key)
{
    if (!value.isDouble())
        wrongType(key, "a number");
    return value.toDouble();
}

int asInt(const QJsonValue &value, const QString &key)
{
    const double number = asNumber(value, key);
    if (std::trunc(number) != number || number < -2147483648.0 || number > 2147483647.0)
        wrongType(key, "a whole number");
    return static_cast<int>(number);
}

Decimal asDecimal(const QJsonValue &value, const QString &key)
{
    const auto decimal = Decimal::fromDouble(asNumber(value, key));
    if (!decimal)
        wrongType(key, "a decimal number");
    return *decimal;
}

QUuid asUuid(const QJsonValue &value, const QString &key)
{
    const QUuid id = QUuid::fromString(asString(value, key));
    if (id.isNull())
        wrongType(key, "a UUID");
    return id;
}

} // namespace

double dateToJson(const QDateTime &date)
{
    return double(date.toMSecsSinceEpoch() - referenceEpochOffset * 1000) / 1000.0;
}

QDateTime dateFromJson(double seconds)
{
    if (!(seconds >= minDateSeconds && seconds <= maxDateSeconds))
        throw DecodeError(QStringLiteral("The date %1 lies outside the years 1 to 9999").arg(seconds));
    const qint64 msecs = std::llround(seconds * 1000.0) + referenceEpochOffset * 1000;
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

QJsonValue decimalToJson(const Decimal &value)
{
    // Up to Decimal::maxDigits significant digits a double holds exactly, and
    // QJsonDocument writes it in its shortest round-trip form.
    return QJsonValue(value.toDouble());
}

QString uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QJsonObject parseObject(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodeError(QStringLiteral("Invalid JSON: %1").arg(error.errorString()));
    if (!document.isObject())
        throw DecodeError(QStringLiteral("JSON is not an object"));
    return document.object();
}

QByteArray serialize(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString requiredString(const QJsonObject &object, const QString &key)
{
    return asString(required(object, key), key);
}

std::optional<QString> optionalString(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = present(object, key);
    if (value.isUndefined())
        return std::nullopt;
    return asString(value, key);
}

double requiredNumber(const QJsonObject &object, const QString &key)
{
    return asNumber(required(object, key), key);
}

std::optional<double> optionalNumber(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = present(object, key);
    if (value.isUndefined())
        return std::nullopt;
    return asNumber(value, key);
}

int requiredInt(const QJsonObject &object, const QString &key)
{
    return asInt(required(object, key), key);
}

std::optional<int> optionalInt(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = present(object, key);
    if (value.isUndefined())
        return std::nullopt;
    return asInt(value, key);
}

bool requiredBool(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = required(object, key);
    if (!value.isBool())
        wrongType(key, "a Boolean");
    return value.toBool();
}

QJsonArray requiredArray(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = required(object, key);
    if (!value.isArray())
        wrongType(key, "an array");
    return value.toArray();
}

QStringList requiredStringList(const QJsonObject &object, const QString &key)
{
    QStringList list;
    for (const QJsonValue &item : requiredArray(object, key))
        list.append(asString(item, key));
    return list;
}

QDateTime requiredDate(const QJsonObject &object, const QString &key)
{
    return dateFromJson(requiredNumber(object, key));
}

std::optional<QDateTime> optionalDate(const QJsonObject &object, const QString &key)
{
    const auto seconds = optionalNumber(object, key);
    if (!seconds)
        return std::nullopt;
    return dateFromJson(*seconds);
}

Decimal requiredDecimal(const QJsonObject &object, const QString &key)
{
    return asDecimal(required(object, key), key);
}

std::optional<Decimal> optionalDecimal(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = present(object, key);
    if (value.isUndefined())
        return std::nullopt;
    return asDecimal(value, key);
}

QUuid requiredUuid(const QJsonObject &object, const QString &key)
{
    return asUuid(required(object, key), key);
}

std::optional<QUuid> optionalUuid(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = present(object, key);
    if (value.isUndefined())
        return std::nullopt;
    return asUuid(value, key);
}

QJsonObject requiredObject(const QJsonValue &value, const QString &what)
{
    if (!value.isObject())
        throw DecodeError(QStringLiteral("%1 is not an object").arg(what));
    return value.toObject();
}

} // namespace JsonCoding
