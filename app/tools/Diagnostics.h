// What support needs to know about this installation, and the way to write
// to support.
#pragma once

#include <QString>

class AppModel;

namespace Diagnostics {

inline constexpr const char *website = "https://filewright.example.org";
inline constexpr const char *supportAddress = "support@filewright.example.org";

// Opens a new mail to support in the user's mail program.
void mailSupport();

// Versions, system, settings and counts, one fact a line.
QString text(const AppModel &model);

} // namespace Diagnostics
