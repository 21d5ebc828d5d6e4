#include "TestEnvironment.h"

#include "RealHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace TestEnvironment {

namespace {

bool isBelow(const QString &path, const QString &folder)
{
    return path.startsWith(folder + QLatin1Char('/')) && path.size() > folder.size() + 1;
}

bool existsAsEntry(const QString &path)
{
    struct stat status{};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

} // namespace

QStringList temporaryFolders()
{
    std::optional<QString> home;
    const QString account = RealHome::accountHome();
    if (!account.isEmpty())
        home = resolved(account);
    QStringList folders;
    for (const QString &candidate : {QDir::tempPath(), QStringLiteral("/tmp")}) {
        const std::optional<QString> folder = resolved(candidate);
        if (!folder || *folder == QLatin1String("/") || folders.contains(*folder))
            continue;
        if (home && (*home == *folder || isBelow(*home, *folder)))
            continue;
        if (QFileInfo(*folder).isDir())
            folders.append(*folder);
    }
    return folders;
}

std::optional<QString> resolved(const QString &path)
{
    if (!QDir::isAbsolutePath(path))
        return std::nullopt;
    QString current = QStringLiteral("/");
    bool existing = true;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            // current is resolved already, so its parent is the real one.
            current = QFileInfo(current).path();
            existing = existsAsEntry(current);
            continue;
        }
        const QString next = current == QLatin1String("/") ? current + part : current + QLatin1Char('/') + part;
        if (existing && existsAsEntry(next)) {
            const QString canonical = QFileInfo(next).canonicalFilePath();
            if (canonical.isEmpty())
                return std::nullopt; // a dangling link
            current = canonical;
        } else {
            existing = false;
            current = next;
        }
    }
    return current;
}

std::optional<QString> belowTemporary(const QString &path)
{
    const std::optional<QString> result = resolved(path);
    // The path as written and the path as Qt cleans it must both lie there:
    // some callers open the one, some the other.
    const std::optional<QString> cleaned = resolved(QDir::cleanPath(path));
    if (!result || !cleaned)
        return std::nullopt;
    const QStringList folders = temporaryFolders();
    const auto inside = [&folders](const QString &candidate) {
        return std::any_of(folders.begin(), folders.end(),
                           [&candidate](const QString &folder) { return isBelow(candidate, folder); });
    };
    if (!inside(*result) || !inside(*cleaned))
        return std::nullopt;
    return result;
}

std::optional<QString> home()
{
    const QString value = qEnvironmentVariable("APP_HOME");
    if (value.isEmpty())
        return std::nullopt;
    return belowTemporary(value);
}

std::optional<QString> store()
{
    const QString value = qEnvironmentVariable("APP_STORE");
    if (value.isEmpty())
        return std::nullopt;
    return belowTemporary(value);
}

} // namespace TestEnvironment
