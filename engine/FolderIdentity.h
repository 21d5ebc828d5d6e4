// Which folder stands at a path: its device and inode numbers. A folder
// removed and made again at the same path is another folder.
#pragma once

#include <QString>

#include <optional>

struct FolderIdentity
{
    quint64 device = 0;
    quint64 inode = 0;

    friend bool operator==(const FolderIdentity &, const FolderIdentity &) = default;

    // The identity of the folder at path now; none when nothing there can
    // be looked at or it is no folder.
    static std::optional<FolderIdentity> of(const QString &path);
};
