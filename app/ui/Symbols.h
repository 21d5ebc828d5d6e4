// Icons by the symbol names the pages use ("folder.badge.plus", "doc.text"),
// looked up in the desktop's icon theme with a drawn fallback, so that every
// symbol shows something on any desktop.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace Symbols {

// Finds the desktop's icons (with Adwaita behind the desktop's own theme)
// also where no platform theme told Qt where they are. Once, at start.
void useDesktopIcons();

// The freedesktop icon name that stands for a symbol; empty when none is known.
QString themeName(const QString &symbol);

QIcon icon(const QString &symbol);

// The symbol drawn in one colour, size by size device-independent pixels.
QPixmap tinted(const QString &symbol, int size, const QColor &tint, qreal devicePixelRatio = 1.0);

} // namespace Symbols
