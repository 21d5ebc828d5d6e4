// Reading a freedesktop desktop entry file: the keys of its main group,
// "[Desktop Entry]", with their values unescaped.
#pragma once

#include <QHash>
#include <QString>

#include <optional>

namespace DesktopEntryFile {

// The main group's keys and values; localised keys ("Name[de]") stand under
// their full name. Nothing when the file cannot be read.
std::optional<QHash<QString, QString>> read(const QString &path);

// Whether a boolean key holds "true", the one spelling the format allows.
bool isTrue(const QHash<QString, QString> &entry, const QString &key);
// Whether a boolean key holds "false"; a missing key is neither.
bool isFalse(const QHash<QString, QString> &entry, const QString &key);

} // namespace DesktopEntryFile
