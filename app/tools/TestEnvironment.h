// Where test runs may write: the self-test and the seed data delete and fill
// the folders that APP_HOME and APP_STORE name, so those must lie in the
// temporary area, however the path is spelled.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace TestEnvironment {

// The temporary folders, resolved: the process's temporary folder and /tmp.
// A temporary folder that is the root or holds the user's home is not one.
QStringList temporaryFolders();

// The absolute path with every symbolic link, "." and ".." resolved as the
// system would resolve them; the part that does not exist yet is taken as
// written. None for a relative path or one through a dangling link.
std::optional<QString> resolved(const QString &path);

// The resolved path when it lies strictly below a temporary folder; none
// otherwise (a temporary folder itself, "/tmp/../home/x" and "/tmpfoo" among them).
std::optional<QString> belowTemporary(const QString &path);

// The folder of APP_HOME, or none when it is unset or not strictly below a
// temporary folder.
std::optional<QString> home();
// The file of APP_STORE, under the same condition.
std::optional<QString> store();

} // namespace TestEnvironment
