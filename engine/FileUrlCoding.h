// Paths in the JSON payloads of plans and performed filings: written as
// absolute file URL strings, read back to local paths.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace FileUrlCoding {
QString toJson(const QString &path);
QJsonArray toJson(const QStringList &paths);
// Throw JsonCoding::DecodeError for anything but a local file URL.
QString requiredPath(const QJsonObject &object, const QString &key);
QStringList requiredPaths(const QJsonObject &object, const QString &key);
// Nothing when the key is missing or null.
std::optional<QStringList> optionalPaths(const QJsonObject &object, const QString &key);
// Any whole number, as stored; one beyond the 64-bit integers is taken as the
// nearest of them. Throws JsonCoding::DecodeError for anything else.
std::optional<qint64> optionalInteger(const QJsonObject &object, const QString &key);
} // namespace FileUrlCoding
