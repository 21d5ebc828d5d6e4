#include "ApplicationLauncher.h"

#include "DesktopEntryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace ApplicationLauncher {

namespace {

struct DesktopEntry
{
    QString exec;
    QString name;
    QString icon;
    bool noDisplay = false;
};

std::optional<DesktopEntry> readDesktopEntry(const QString &path)
{
    const std::optional<QHash<QString, QString>> values = DesktopEntryFile::read(path);
    if (!values)
        return std::nullopt;
    DesktopEntry entry;
    entry.exec = values->value(QStringLiteral("Exec"));
    entry.name = values->value(QStringLiteral("Name"));
    entry.icon = values->value(QStringLiteral("Icon"));
    entry.noDisplay = DesktopEntryFile::isTrue(*values, QStringLiteral("NoDisplay"));
    const QString type = values->value(QStringLiteral("Type"));
    if (DesktopEntryFile::isTrue(*values, QStringLiteral("Hidden")) || entry.exec.isEmpty()
        || (!type.isEmpty() && type != QLatin1String("Application")))
        return std::nullopt;
    return entry;
}

// Splits an Exec value into arguments: blanks separate, double quotes group,
// and inside quotes a backslash escapes " ` $ and \.
QStringList splitExec(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size()) {
                current += exec.at(++i);
            } else if (c == u'"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == u'"') {
            quoted = true;
            inArgument = true;
        } else if (c == u' ' || c == u'\t') {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(current);
    return arguments;
}

QStringList applicationFolders()
{
    QStringList folders;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    folders.append(dataHome + QStringLiteral("/applications"));
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dataDirs.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            folders.append(dir + QStringLiteral("/applications"));
    }
    return folders;
}

QStringList commandOfDesktopFile(const QString &path, const QString &file)
{
    const auto entry = readDesktopEntry(path);
    if (!entry)
        return {};
    return execArguments(entry->exec, file, path, entry->name, entry->icon);
}

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QList<InstalledApplication> installed()
{
    QList<InstalledApplication> applications;
    QSet<QString> seen;
    for (const QString &folder : applicationFolders()) {
        const QStringList files = QDir(folder).entryList({QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable);
        for (const QString &id : files) {
            if (seen.contains(id))
                continue;
            seen.insert(id);
            const auto entry = readDesktopEntry(folder + QLatin1Char('/') + id);
            if (entry && !entry->noDisplay && !entry->name.isEmpty())
                applications.append({id, entry->name, entry->icon});
        }
    }
    std::sort(applications.begin(), applications.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a.name, b.name) < 0;
    });
    return applications;
}

QStringList execArguments(const QString &exec, const QString &file, const QString &desktopFile, const QString &name,
                          const QString &icon)
{
    const QString url = QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
    QStringList result;
    bool namedFile = false;
    for (const QString &argument : splitExec(exec)) {
        if (argument == QLatin1String("%f") || argument == QLatin1String("%F")) {
            result.append(file);
            namedFile = true;
            continue;
        }
        if (argument == QLatin1String("%u") || argument == QLatin1String("%U")) {
            result.append(url);
            namedFile = true;
            continue;
        }
        if (argument == QLatin1String("%i")) {
            if (!icon.isEmpty())
                result << QStringLiteral("--icon") << icon;
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            const QChar c = argument.at(i);
            if (c != u'%' || i + 1 == argument.size()) {
                expanded += c;
                continue;
            }
            switch (argument.at(++i).unicode()) {
            case u'%': expanded += u'%'; break;
            case u'f': case u'F': expanded += file; namedFile = true; break;
            case u'u': case u'U': expanded += url; namedFile = true; break;
            case u'c': expanded += name; break;
            case u'k': expanded += desktopFile; break;
            default: break; // %i inside a word and the deprecated codes are dropped
            }
        }
        if (!expanded.isEmpty())
            result.append(expanded);
    }
    if (result.isEmpty())
        return {};
    if (!namedFile)
        result.append(file);
    return result;
}

QStringList command(const QString &file, const QString &application)
{
    if (application.isEmpty())
        return {};
    if (application.startsWith(u'/')) {
        if (application.endsWith(QLatin1String(".desktop")) && QFileInfo(application).isFile())
            return commandOfDesktopFile(application, file);
        if (isExecutableFile(application))
            return {application, file};
        return {};
    }
    const QString id = application.endsWith(QLatin1String(".desktop")) ? application
                                                                       : application + QStringLiteral(".desktop");
    if (!id.contains(u'/')) {
        for (const QString &folder : applicationFolders()) {
            const QString path = folder + QLatin1Char('/') + id;
            if (QFileInfo(path).isFile())
                return commandOfDesktopFile(path, file);
        }
    }
    if (application.contains(u'/'))
        return {};
    const QString executable = QStandardPaths::findExecutable(application);
    if (executable.isEmpty())
        return {};
    return {executable, file};
}

bool open(const QString &file, const QString &application)
{
    QStringList arguments = command(file, application);
    if (arguments.isEmpty())
        return false;
    const QString program = arguments.takeFirst();
    return QProcess::startDetached(program, arguments);
}

} // namespace ApplicationLauncher
