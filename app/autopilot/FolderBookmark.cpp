#include "FolderBookmark.h"

#include "FolderIdentity.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

namespace FolderBookmark {

std::optional<QByteArray> make(const QString &path)
{
    if (path.isEmpty() || !path.startsWith(u'/'))
        return std::nullopt;
    const auto identity = FolderIdentity::of(path);
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
    const auto identity = FolderIdentity::of(path);
    if (!identity)
        return std::nullopt;
    // Device numbers change for the same folder (btrfs subvolumes, removable
    // drives, remounts): only another inode means another folder.
    bool inodeOk = false;
    const quint64 inode = object.value(QStringLiteral("inode")).toString().toULongLong(&inodeOk);
    return Resolved{path, !inodeOk || inode != identity->inode};
}

} // namespace FolderBookmark
