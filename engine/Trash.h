// Moving items to the Trash the way the freedesktop Trash standard lays it
// out: the home trash under $XDG_DATA_HOME/Trash (created when missing) for
// items on the home file system, a volume's .Trash/<uid> or .Trash-<uid> for
// items elsewhere. Each item gets a .trashinfo with its percent-encoded
// original path and the deletion date; no name in the trash is ever reused.
// A name that would not fit beside its .trashinfo is shortened in the trash
// (its extension kept, and its first character); the .trashinfo keeps the
// original path.
#pragma once

#include <QDateTime>
#include <QString>

namespace Trash {

// Moves the item to the Trash and returns where it lies now.
// Throws FileOperationError::failed.
QString moveToTrash(const QString &path, const QDateTime &now = QDateTime::currentDateTime());

// Removes every .trashinfo written for the item at path whose item is not in
// the Trash: those that a move cut short left behind (written, but the item
// never moved), under any name the item may have been given there. The
// item's own entries in the Trash are kept.
void removeUnfinished(const QString &path);

// The home trash folder ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash).
QString homeTrash();

} // namespace Trash
