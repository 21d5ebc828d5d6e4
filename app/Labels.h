// Display titles of the engine's enumerations, as the pages and pickers show
// them. They are separate from the words that go into file and folder names.
#pragma once

#include "Recognition.h"

#include <QString>

namespace Labels {

QString title(DocumentKind kind);

} // namespace Labels
