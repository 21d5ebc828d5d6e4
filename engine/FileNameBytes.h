// File names on Linux are bytes; Filewright's paths are text. A name whose
// bytes are not valid UTF-8 has no text of its own: decoding turns each bad
// byte into U+FFFD, that text names no file, and Qt's folder listings leave
// such entries out altogether. These tell such names, list them, and find
// the entry a decoded path stands for, so that it can be reported instead of
// passing for a file that has gone.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace FileNameBytes {

// Whether bytes (a name or a path) come back unchanged from text.
bool isText(const QByteArray &bytes);

// An entry whose name is not valid UTF-8: its path as text (the folder as
// given, the name decoded) and as the file system knows it.
struct Entry
{
    QString path;
    QByteArray encoded;
};

// The entries of folder whose names are not valid UTF-8, in the order the
// file system lists them; none when the folder cannot be listed.
QList<Entry> undecodableIn(const QString &folder);

// The encoded path of the entry that path's text stands for when that
// entry's name is not valid UTF-8: the first such entry of path's folder
// whose name decodes to path's name. None when path's name holds no U+FFFD,
// when an entry of that very text exists (a valid name may hold U+FFFD), or
// when its folder has no such entry.
std::optional<QByteArray> undecodable(const QString &path);

} // namespace FileNameBytes
