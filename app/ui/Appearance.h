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

// The palette with its active colours current. What is drawn once into a
// picture (a tinted symbol) is drawn with them, so that it shows the same
// whether its window was in front at that moment or behind another, as it
// is while a setting changes in the settings window.
QPalette active(QPalette palette);

// The Fusion palette of that mode.
QPalette palette(Mode mode);
// Gives the whole application the Fusion style, with the focus ring, and the
// palette of that mode.
void apply(Mode mode);

} // namespace Appearance
