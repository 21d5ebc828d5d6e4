// What opens a dry-run sheet: the rule to try, saved or not, and the folder
// whose newest files it is tried on. Every request has its own id, so that
// each one opens a fresh sheet with a fresh run.
#pragma once

#include "Rule.h"

#include <QUuid>

#include <optional>

struct DryRunRequest
{
    QUuid id = QUuid::createUuid();
    Rule rule;
    std::optional<QUuid> folderID; // none for a rule without a folder
};
