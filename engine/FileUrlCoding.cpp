#include "FileUrlCoding.h"

#include "JsonCoding.h"

#include <QUrl>

#include <cmath>

namespace FileUrlCoding {

namespace {
QString pathOfUrl(const QString &text, const QString &key)
{
    const QUrl url(text);
    if (!url.isValid() || !url.isLocalFile() || url.toLocalFile().isEmpty())
        throw JsonCoding::DecodeError(QStringLiteral("\"%1\" is not a file URL").arg(key));
    return url.toLocalFile();
}
} // namespace

QString toJson(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

QJsonArray toJson(const QStringList &paths)
{
    QJsonArray array;
    for (const QString &path : paths)
        array.append(toJson(path));
    return array;
}

QString requiredPath(const QJsonObject &object, const QString &key)
{
    return pathOfUrl(JsonCoding::requiredString(object, key), key);
}

QStringList requiredPaths(const QJsonObject &object, const QString &key)
{
    QStringList paths;
    for (const QString &text : JsonCoding::requiredStringList(object, key))
        paths.append(pathOfUrl(text, key));
    return paths;
}

std::optional<qint64> optionalInteger(const QJsonObject &object, const QString &key)
{
    const auto number = JsonCoding::optionalNumber(object, key);
    if (!number)
        return std::nullopt;
    if (!std::isfinite(*number) || std::trunc(*number) != *number || std::abs(*number) > 9007199254740992.0)
        throw JsonCoding::DecodeError(QStringLiteral("\"%1\" is not a whole number").arg(key));
    return static_cast<qint64>(*number);
}

} // namespace FileUrlCoding
