// A file's tags, kept in the extended attribute "user.xdg.tags" as a
// comma-separated UTF-8 list (the convention that Linux file managers share).
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace FileTags {

inline constexpr char attributeName[] = "user.xdg.tags";

// The file's tags in stored order; empty when it has none or its file system
// keeps no extended attributes; nothing when they exist but cannot be read.
std::optional<QStringList> read(const QString &path);

// Replaces the whole tag list (an empty list removes the attribute).
// Throws FileOperationError::failed, with a clear message when the file
// system cannot hold tags.
void write(const QString &path, const QStringList &tags);

} // namespace FileTags
