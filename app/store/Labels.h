// Display titles of the engine's enumerations, as the pages and pickers show
// them. They are separate from the words that go into file and folder names.
#pragma once

#include "Recognition.h"
#include "Rule.h"

#include <QString>

namespace Labels {

QString title(DocumentKind kind);
QString title(Condition::Field field);
// Reads as a verb phrase between the field's title and the value.
QString title(Condition::Operator op);
QString title(FileCategory category);

} // namespace Labels
