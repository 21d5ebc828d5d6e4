#include "DesktopEntryFile.h"

#include <QFile>

namespace DesktopEntryFile {

namespace {

// The general escapes of desktop entry values: \s \n \t \r \\.
QString unescapeValue(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            result += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case u's': result += u' '; break;
        case u'n': result += u'\n'; break;
        case u't': result += u'\t'; break;
        case u'r': result += u'\r'; break;
        case u'\\': result += u'\\'; break;
        default: result += c; result += next; break;
        }
    }
    return result;
}

} // namespace

std::optional<QHash<QString, QString>> read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QHash<QString, QString> entry;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup || line.startsWith(u'#'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        entry.insert(line.left(equals).trimmed(), unescapeValue(line.mid(equals + 1).trimmed()));
    }
    return entry;
}

bool isTrue(const QHash<QString, QString> &entry, const QString &key)
{
    return entry.value(key) == QLatin1String("true");
}

bool isFalse(const QHash<QString, QString> &entry, const QString &key)
{
    return entry.value(key) == QLatin1String("false");
}

} // namespace DesktopEntryFile
