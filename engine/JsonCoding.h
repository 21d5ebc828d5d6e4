// Reading and writing the JSON payloads that the store keeps: keys are the
// field names, optional fields are left out, dates are seconds since
// 2001-01-01 00:00:00 UTC, UUIDs their upper-case text, decimals exact numbers.
// Readers throw JsonCoding::DecodeError on a missing required key, a wrong type
// or an unknown enumeration value.
#pragma once

#include "Decimal.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>
#include <stdexcept>

namespace JsonCoding {

class DecodeError : public std::runtime_error
{
public:
    explicit DecodeError(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// Seconds between 1970-01-01 and 2001-01-01, both UTC.
inline constexpr qint64 referenceEpochOffset = 978307200;

// The dates a payload may hold: the years 1 to 9999, in seconds from the
// reference date.
inline constexpr double minDateSeconds = -62135596800.0 - double(referenceEpochOffset);
inline constexpr double maxDateSeconds = 253402300799.0 - double(referenceEpochOffset);

double dateToJson(const QDateTime &date);
// Throws DecodeError for a number outside those years (or not finite).
QDateTime dateFromJson(double seconds);

QJsonValue decimalToJson(const Decimal &value);
QString uuidText(const QUuid &id);

QJsonObject parseObject(const QByteArray &data);
QByteArray serialize(const QJsonObject &object);

QString requiredString(const QJsonObject &object, const QString &key);
std::optional<QString> optionalString(const QJsonObject &object, const QString &key);
double requiredNumber(const QJsonObject &object, const QString &key);
std::optional<double> optionalNumber(const QJsonObject &object, const QString &key);
int requiredInt(const QJsonObject &object, const QString &key);
std::optional<int> optionalInt(const QJsonObject &object, const QString &key);
bool requiredBool(const QJsonObject &object, const QString &key);
QJsonArray requiredArray(const QJsonObject &object, const QString &key);
QStringList requiredStringList(const QJsonObject &object, const QString &key);
QDateTime requiredDate(const QJsonObject &object, const QString &key);
std::optional<QDateTime> optionalDate(const QJsonObject &object, const QString &key);
Decimal requiredDecimal(const QJsonObject &object, const QString &key);
std::optional<Decimal> optionalDecimal(const QJsonObject &object, const QString &key);
QUuid requiredUuid(const QJsonObject &object, const QString &key);
std::optional<QUuid> optionalUuid(const QJsonObject &object, const QString &key);
QJsonObject requiredObject(const QJsonValue &value, const QString &what);

} // namespace JsonCoding
