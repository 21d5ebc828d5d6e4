// The desktop's icons in use for one scope, as the application finds them
// at start; offscreen the only icon search path is the program's own.
#pragma once

#include "Symbols.h"

#include <QIcon>
#include <QString>
#include <QStringList>

class DesktopIcons
{
public:
    DesktopIcons() { Symbols::useDesktopIcons(); }
    ~DesktopIcons()
    {
        QIcon::setThemeSearchPaths(m_paths);
        QIcon::setThemeName(m_theme);
        QIcon::setFallbackThemeName(m_fallback);
    }
    DesktopIcons(const DesktopIcons &) = delete;
    DesktopIcons &operator=(const DesktopIcons &) = delete;

private:
    const QStringList m_paths = QIcon::themeSearchPaths();
    const QString m_theme = QIcon::themeName();
    const QString m_fallback = QIcon::fallbackThemeName();
};
