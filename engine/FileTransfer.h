// Moving and copying files and folders without ever replacing anything.
//
// Within one file system a move is a single rename that refuses an occupied
// name. Across file systems, and for every copy, a file is first copied to an
// unnamed file in the target folder (contents, permissions, times and
// extended attributes such as tags) and linked to its name when whole, so a
// crash leaves no partial copy; where the file system has no unnamed files,
// and for folders, the copy goes to a hidden temporary name that is renamed
// into place the same refusing way. Only then is the source removed.
// Whatever fails, every item that existed before is still there.
#pragma once

#include <QString>

namespace FileTransfer {

// Throws FileOperationError::failed.
void move(const QString &from, const QString &to);
void copy(const QString &from, const QString &to);

// Removes the hidden temporary copies in the folder that a process no longer
// running left behind (it was killed halfway through a copy).
void removeLeftovers(const QString &folder);

// Whether both are regular files with the same bytes.
bool sameContent(const QString &first, const QString &second);

// Creates a folder and its missing parents, and returns the folders it
// created, outermost first; throws FileOperationError::failed.
QStringList makeFolders(const QString &path);

// A rename that never replaces: 0 on success, else the errno (EEXIST when
// the name is taken, EXDEV across file systems).
int renameNoReplace(const QString &from, const QString &to);

} // namespace FileTransfer
