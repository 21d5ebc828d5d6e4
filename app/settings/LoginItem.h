// Opening Filewright at login: the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/filewright.desktop, made from the installed
// desktop entry (or, when Filewright runs uninstalled, from the running
// executable's path).
#pragma once

#include <QString>

namespace LoginItem {

inline constexpr char16_t entryName[] = u"filewright.desktop";

// The autostart entry's path.
QString path();
// True while the desktop will start the autostart entry: it exists, is not
// hidden and is not switched off for GNOME.
bool isEnabled();
// Writes or removes the autostart entry; false with error set when that fails.
bool setEnabled(bool enabled, QString *error = nullptr);

} // namespace LoginItem
