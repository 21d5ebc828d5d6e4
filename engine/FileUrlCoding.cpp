#include "FileUrlCoding.h"

#include "HexDigit.h"
#include "JsonCoding.h"

#include <QFile>

#include <cmath>
#include <limits>

namespace FileUrlCoding {

namespace {

constexpr QLatin1StringView scheme("file://");

// Bytes written as they are in a path: the unreserved characters, the
// separators and the sub-delimiters; everything else is percent-encoded.
bool isPlain(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("-._~/!$&'()*+,;=:@").contains(c);
}

QByteArray percentDecoded(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() ? HexDigit::value(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexDigit::value(text[i + 2]) : -1;
        if (text[i] == '%' && high >= 0 && low >= 0) {
            bytes.append(char(high * 16 + low));
            i += 2;
        } else {
            bytes.append(text[i]);
        }
    }
    return bytes;
}

[[noreturn]] void notAFileUrl(const QString &key)
{
    throw JsonCoding::DecodeError(QStringLiteral("\"%1\" is not a file URL").arg(key));
}

// The path of "file://" + an empty host (or "localhost") + an absolute path.
// Older rows wrote a path beginning with two slashes as "file://host/rest";
// such a row reads back as "//host/rest".
QString pathOfUrl(const QString &text, const QString &key)
{
    const QByteArray url = text.toUtf8();
    if (!url.startsWith(scheme.latin1()) || url.contains('?') || url.contains('#'))
        notAFileUrl(key);
    QByteArrayView rest = QByteArrayView(url).sliced(scheme.size());
    QByteArray path;
    const qsizetype slash = rest.indexOf('/');
    if (slash < 0)
        notAFileUrl(key);
    const QByteArrayView host = rest.first(slash);
    if (host.isEmpty() || host.compare("localhost", Qt::CaseInsensitive) == 0)
        path = percentDecoded(rest.sliced(slash));
    else
        path = "//" + percentDecoded(rest);
    if (path.contains('\0'))
        notAFileUrl(key);
    return QFile::decodeName(path);
}

} // namespace

// "file://" + the path's bytes percent-encoded: the host is always empty, so
// that a path beginning with "//" keeps its slashes ("file:////x").
QString toJson(const QString &path)
{
    const QByteArray bytes = QFile::encodeName(path);
    QByteArray url;
    url.reserve(scheme.size() + bytes.size() + 16);
    url.append(scheme.latin1(), scheme.size());
    for (const char c : bytes) {
        if (isPlain(c)) {
            url.append(c);
        } else {
            static constexpr char hex[] = "0123456789ABCDEF";
            url.append('%');
            url.append(hex[uchar(c) >> 4]);
            url.append(hex[uchar(c) & 15]);
        }
    }
    return QString::fromLatin1(url);
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

std::optional<QStringList> optionalPaths(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    return requiredPaths(object, key);
}

std::optional<qint64> optionalInteger(const QJsonObject &object, const QString &key)
{
    const auto number = JsonCoding::optionalNumber(object, key);
    if (!number)
        return std::nullopt;
    if (!std::isfinite(*number) || std::trunc(*number) != *number)
        throw JsonCoding::DecodeError(QStringLiteral("\"%1\" is not a whole number").arg(key));
    // 2^63 is a double exactly; a 64-bit count written as a double may round up to it.
    constexpr double limit = 9223372036854775808.0;
    if (*number >= limit)
        return std::numeric_limits<qint64>::max();
    if (*number <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(*number);
}

} // namespace FileUrlCoding
