#include "StandardFolders.h"

#include "RealHome.h"

#include <QDir>
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

QStandardPaths::StandardLocation location(Folder folder)
{
    switch (folder) {
    case Folder::desktop:
        return QStandardPaths::DesktopLocation;
    case Folder::documents:
        return QStandardPaths::DocumentsLocation;
    case Folder::downloads:
        return QStandardPaths::DownloadLocation;
    case Folder::pictures:
        return QStandardPaths::PicturesLocation;
    }
    return QStandardPaths::DocumentsLocation;
}

// "~/rest" when path lies below home; nothing when it is home itself or elsewhere.
std::optional<QString> below(const QString &path, const QString &home)
{
    const QString root = QDir::cleanPath(home);
    if (root.isEmpty() || root == QLatin1String("/") || !path.startsWith(root + QLatin1Char('/')))
        return std::nullopt;
    return QLatin1Char('~') + path.mid(root.size());
}

} // namespace

QString tilde(Folder folder)
{
    // Qt reads user-dirs.dirs, writes its "$HOME" as the process's home and
    // falls back to the plain English name itself.
    const QString found = QStandardPaths::writableLocation(location(folder));
    const QString plain = QStringLiteral("~/") + plainName(folder);
    if (found.isEmpty() || !QDir::isAbsolutePath(found))
        return plain;
    const QString clean = QDir::cleanPath(found);
    if (clean == QDir::cleanPath(QDir::homePath()) || clean == RealHome::path() || clean == QLatin1String("/"))
        return plain;
    if (const std::optional<QString> home = below(clean, QDir::homePath()))
        return *home;
    if (const std::optional<QString> real = below(clean, RealHome::path()))
        return *real;
    return clean;
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
