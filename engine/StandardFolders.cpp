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

// The value of a line of the folder file that sets the key, read as the
// desktop reads it: the key at the line's start (after blanks), an "=" with
// blanks around it if any, and a value from a double quote up to the line's
// last one. Nothing when the line is of another key or of no such form, or
// when the value holds a control character (a NUL among them), which no
// folder name the desktop writes holds.
std::optional<QString> lineValue(QStringView line, QLatin1StringView name)
{
    const auto skipBlanks = [&line] {
        while (!line.isEmpty() && (line.front() == QLatin1Char(' ') || line.front() == QLatin1Char('\t')))
            line = line.sliced(1);
    };
    skipBlanks();
    if (!line.startsWith(name))
        return std::nullopt;
    line = line.sliced(name.size());
    skipBlanks();
    if (!line.startsWith(QLatin1Char('=')))
        return std::nullopt;
    line = line.sliced(1);
    skipBlanks();
    const qsizetype close = line.lastIndexOf(QLatin1Char('"'));
    if (!line.startsWith(QLatin1Char('"')) || close <= 0)
        return std::nullopt;
    // A shell's double quotes: a backslash escapes only these.
    const QStringView quoted = line.sliced(1, close - 1);
    QString plain;
    for (qsizetype i = 0; i < quoted.size(); ++i) {
        if (quoted[i].category() == QChar::Other_Control)
            return std::nullopt;
        if (quoted[i] == QLatin1Char('\\') && i + 1 < quoted.size() && QStringView(u"\"\\$`").contains(quoted[i + 1]))
            ++i;
        plain.append(quoted[i]);
    }
    return plain;
}

// The value the desktop's folder file gives the key (the last line that
// sets it counts); nothing when no line sets it.
std::optional<QString> writtenValue(QLatin1StringView name)
{
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QFile file(configHome + QStringLiteral("/user-dirs.dirs"));
    if (configHome.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<QString> value;
    // Bounded: the file holds a handful of short lines.
    const QString text = QString::fromUtf8(file.read(1 << 16));
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (std::optional<QString> set = lineValue(line, name))
            value = std::move(set);
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
