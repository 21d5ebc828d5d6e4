// Moving and copying files and folders without ever replacing anything.
//
// Within one file system a move is a single rename that refuses an occupied
// name. Across file systems, and for every copy, the item is first copied to
// a hidden temporary name in the target folder (contents, permissions, times
// and extended attributes such as tags), then renamed into place the same
// refusing way; only then is the source removed. Whatever fails, every item
// that existed before is still there.
#pragma once

#include <QString>

namespace FileTransfer {

// Throws FileOperationError::failed.
void move(const QString &from, const QString &to);
void copy(const QString &from, const QString &to);

// Creates a folder and its missing parents; throws FileOperationError::failed.
void makeFolders(const QString &path);

// A rename that never replaces: 0 on success, else the errno (EEXIST when
// the name is taken, EXDEV across file systems).
int renameNoReplace(const QString &from, const QString &to);

} // namespace FileTransfer
