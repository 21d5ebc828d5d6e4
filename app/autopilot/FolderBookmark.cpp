#include "FolderBookmark.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>
#include <unistd.h>

namespace FolderBookmark {

namespace {
struct Identity
{
    quint64 device = 0;
    quint64 inode = 0;
};

std::optional<Identity> folderIdentity(const QString &path)
{
    struct stat info {};
    const QByteArray encoded = QFile::encodeName(path);
    if (::stat(encoded.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return Identity{quint64(info.st_dev), quint64(info.st_ino)};
}
} // namespace

std::optional<QByteArray> make(const QString &path)
{
    if (path.isEmpty() || !path.startsWith(u'/'))
        return std::nullopt;
    const auto identity = folderIdentity(path);
    if (!identity || ::access(QFile::encodeName(path).constData(), R_OK | X_OK) != 0)
        return std::nullopt;
    const QJsonObject object{{QStringLiteral("path"), path},
                             {QStringLiteral("device"), QString::number(identity->device)},
                             {QStringLiteral("inode"), QString::number(identity->inode)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Resolved> resolve(const QByteArray &bookmark)
{
    const QJsonObject object = QJsonDocument::fromJson(bookmark).object();
    const QString path = object.value(QStringLiteral("path")).toString();
    if (path.isEmpty())
        return std::nullopt;
    const auto identity = folderIdentity(path);
    if (!identity)
        return std::nullopt;
    // Device numbers change for the same folder (btrfs subvolumes, removable
    // drives, remounts): only another inode means another folder.
    bool inodeOk = false;
    const quint64 inode = object.value(QStringLiteral("inode")).toString().toULongLong(&inodeOk);
    return Resolved{path, !inodeOk || inode != identity->inode};
}

} // namespace FolderBookmark
