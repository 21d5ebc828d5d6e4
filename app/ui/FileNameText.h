// A file name as windows and notifications show it: on one line, every
// character that would break the line or turn the text around shown as
// "\uFFFD", and, in windows, cut in the middle (so that the extension stays)
// to the room there is. Names on disk stay as they are; only what people read
// changes.
#pragma once

#include <QFontMetrics>
#include <QString>

namespace FileNameText {

// The name with each control character (newline, tab, escape, delete, C1),
// line and paragraph separator and direction override replaced by U+FFFD.
QString oneLine(const QString &name);

// One line cut in the middle to at most characters characters, for places
// that have no width to measure (window titles, menu entries).
QString shortened(const QString &name, int characters = 64);

// One line cut in the middle to width pixels of metrics.
QString elided(const QString &name, const QFontMetrics &metrics, int width);

// A path with "~" or "/" in it, each of its names shortened, on one line.
QString path(const QString &path, int characters = 48);

} // namespace FileNameText
