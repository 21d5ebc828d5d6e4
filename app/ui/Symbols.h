// Icons by the symbol names the pages use ("folder.badge.plus", "doc.text"),
// looked up in the desktop's icon theme with a drawn fallback, so that every
// symbol shows something on any desktop.
#pragma once

#include <QIcon>
#include <QString>

namespace Symbols {

// The freedesktop icon name that stands for a symbol; empty when none is known.
QString themeName(const QString &symbol);

QIcon icon(const QString &symbol);

} // namespace Symbols
