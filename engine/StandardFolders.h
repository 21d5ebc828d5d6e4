// The home's standard folders as the desktop names them (user-dirs.dirs):
// on a German desktop "~/Schreibtisch", "~/Dokumente", "~/Bilder".
#pragma once

#include <QString>

namespace StandardFolders {

enum class Folder { desktop, documents, downloads, pictures };

// The folder in "~" form ("~/Dokumente"), or its absolute path when the
// desktop puts it outside the home. The folder file's value, in double
// quotes, is "$HOME/..." (which counts only when it stays below the home
// once "." and ".." are resolved) or an absolute path (taken as written); a
// value not in double quotes or holding a control character counts for
// nothing, as a line the desktop cannot read. Where the desktop names
// none, names the home itself (how a switched-off folder is written) or
// writes anything else, the plain English name: "~/Desktop", "~/Documents",
// "~/Downloads", "~/Pictures".
QString tilde(Folder folder);

// The same folder's absolute path, with "~" standing for home.
QString path(Folder folder, const QString &home);

// The folder's own name: "Schreibtisch".
QString name(Folder folder);

} // namespace StandardFolders
