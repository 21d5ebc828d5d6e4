// Light and dark: Qt 6.4 knows no colour scheme, so dark is told from the
// palette's window colour, and the application can wear a light or a dark
// Fusion palette of its own (the screenshot mode shows both).
#pragma once

#include <QPalette>

namespace Appearance {

enum class Mode { light, dark };

// Whether text on this palette's windows is light on dark.
bool isDark(const QPalette &palette);
bool isDark();

// The Fusion palette of that mode.
QPalette palette(Mode mode);
// Gives the whole application the Fusion style, with the focus ring, and the
// palette of that mode.
void apply(Mode mode);

} // namespace Appearance
