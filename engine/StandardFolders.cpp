#include "StandardFolders.h"

#include "RealHome.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <optional>

namespace StandardFolders {

namespace {

QString plainName(Folder folder)
{
    switch (folder) {
    case Folder::desktop:
        return QStringLiteral("Desktop");
    case Folder::documents:
        return QStringLiteral("Documents");
    case Folder::downloads:
        return QStringLiteral("Downloads");
    case Folder::pictures:
        return QStringLiteral("Pictures");
    }
    return QString();
}

QLatin1StringView key(Folder folder)
{
    switch (folder) {
    case Folder::desktop:
        return QLatin1StringView("XDG_DESKTOP_DIR");
    case Folder::documents:
        return QLatin1StringView("XDG_DOCUMENTS_DIR");
    case Folder::downloads:
        return QLatin1StringView("XDG_DOWNLOAD_DIR");
    case Folder::pictures:
        return QLatin1StringView("XDG_PICTURES_DIR");
    }
    return QLatin1StringView("XDG_DOCUMENTS_DIR");
}

// The value the desktop's folder file gives the key, as written there (the
// last line for it counts, as in a shell); nothing when no line sets it.
std::optional<QString> writtenValue(QLatin1StringView name)
{
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QFile file(configHome + QStringLiteral("/user-dirs.dirs"));
    if (configHome.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QString> value;
    const QString prefix = name + QLatin1Char('=');
    // Bounded: the file holds a handful of short lines.
    const QStringList lines = QString::fromUtf8(file.read(1 << 16)).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (!line.startsWith(prefix))
            continue;
        QString text = line.mid(prefix.size());
        if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) {
            // A shell's double quotes: a backslash escapes only these.
            const QStringView quoted = QStringView(text).sliced(1, text.size() - 2);
            QString plain;
            for (qsizetype i = 0; i < quoted.size(); ++i) {
                if (quoted[i] == QLatin1Char('\\') && i + 1 < quoted.size()
                    && QStringView(u"\"\\$`").contains(quoted[i + 1]))
                    ++i;
                plain.append(quoted[i]);
            }
            text = plain;
        }
        value = text;
    }
    return value;
}

// "~/rest" when path lies below home; nothing when it is home itself or elsewhere.
std::optional<QString> below(const QString &path, const QString &home)
{
    const QString root = QDir::cleanPath(home);
    if (root.isEmpty() || root == QLatin1String("/") || !path.startsWith(root + QLatin1Char('/')))
        return std::nullopt;
    return QLatin1Char('~') + path.mid(root.size());
}

// What the folder file's value means: a folder below the home in "~" form,
// an absolute path elsewhere, or nothing (switched off, or no value of the
// file's two forms, "$HOME/..." and "/...").
std::optional<QString> folderOf(const QString &value)
{
    const QString homeVariable = QStringLiteral("$HOME");
    if (value == homeVariable || value.startsWith(homeVariable + QLatin1Char('/'))) {
        // Only a folder that stays below the home once "." and ".." are resolved.
        const QString home = QDir::cleanPath(QDir::homePath());
        return below(QDir::cleanPath(home + value.mid(homeVariable.size())), home);
    }
    if (!value.startsWith(QLatin1Char('/')))
        return std::nullopt;
    const QString clean = QDir::cleanPath(value);
    if (clean == QDir::cleanPath(QDir::homePath()) || clean == RealHome::path() || clean == QLatin1String("/"))
        return std::nullopt;
    if (const std::optional<QString> home = below(clean, QDir::homePath()))
        return home;
    if (const std::optional<QString> real = below(clean, RealHome::path()))
        return real;
    return clean;
}

} // namespace

QString tilde(Folder folder)
{
    if (const std::optional<QString> value = writtenValue(key(folder))) {
        if (const std::optional<QString> found = folderOf(*value))
            return *found;
    }
    return QStringLiteral("~/") + plainName(folder);
}

QString path(Folder folder, const QString &home)
{
    const QString folderPath = tilde(folder);
    if (folderPath.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(home + folderPath.mid(1));
    return folderPath;
}

QString name(Folder folder)
{
    return QDir(tilde(folder)).dirName();
}

} // namespace StandardFolders
