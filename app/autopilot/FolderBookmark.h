// Keeping hold of a folder the user chose: its absolute path with the device
// and inode numbers it had. Resolving finds the folder again and says when it
// is gone or another folder (another inode) stands at its path now.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace FolderBookmark {

struct Resolved
{
    QString path;
    // The folder at the path is not the one the bookmark was made of.
    bool isStale = false;
};

// Nothing when the path names no folder that can be read.
std::optional<QByteArray> make(const QString &path);

// Nothing when the bookmark is unreadable or no folder exists at its path.
std::optional<Resolved> resolve(const QByteArray &bookmark);

} // namespace FolderBookmark
