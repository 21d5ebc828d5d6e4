// The dates of a file on Linux: the birth time where the file system keeps
// one (creation date), the status-change time (the date the file was added
// to its folder, since a move or copy into a folder sets it) and the
// modification time.
#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

struct FileTimes
{
    std::optional<QDateTime> created;
    std::optional<QDateTime> added;
    std::optional<QDateTime> modified;

    // One statx call; every field is absent when the file cannot be read.
    static FileTimes read(const QString &path);
    // The same for a path given as the bytes the file system knows it by.
    static FileTimes readEncoded(const QByteArray &path);
};
