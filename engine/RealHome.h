// The user's real home folder, and paths shown with it as "~".
#pragma once

#include <QString>

namespace RealHome {

// The home folder, decided once per process: APP_HOME when it is set and not
// empty, else the home of the real user's password-database entry, else the
// home that Qt reports. Absolute, without a trailing slash (except "/").
const QString &path();

// The same decision, made afresh from the environment (path() keeps its first answer).
QString lookUp();

// The home of the real user's password-database entry, whatever APP_HOME
// and HOME say; empty when there is none.
QString accountHome();

// A path with a leading home folder shown as "~": "/home/anna/Documents"
// becomes "~/Documents". Only whole folder names count, so a sibling such as
// "/home/annabel" stays as it is.
QString abbreviate(const QString &path);

} // namespace RealHome
