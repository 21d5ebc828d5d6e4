// Working out, without touching the disk, what carrying out a matched rule
// would do to one file: its new folder and name, the copies, the tags, the
// days until the Trash and the application to open it with.
#pragma once

#include "NameTemplate.h"
#include "Plan.h"
#include "Rule.h"

#include <QString>

namespace Planner {

// The rule's actions in order, for the file of `facts`: the last move and the
// last rename win, tags are merged without repeats, copies take the final
// name. "~" in folder templates stands for `home`; `exists` says which names
// are taken, and taken names give way to the next free one. Never fails.
Plan plan(const Rule &rule, const FileFacts &facts, const NameTemplate &nameTemplate, const QString &home,
          const NameTemplate::ExistsTest &exists = NameTemplate::defaultExists);

} // namespace Planner
