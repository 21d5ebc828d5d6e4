// The five starter rules that onboarding offers and test stores are seeded with.
#pragma once

#include "Recognition.h"
#include "Rule.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace RuleTemplates {

// The standard folder a starter rule is stored for.
enum class Folder { downloads, desktop };

struct Template
{
    // Stable key; the application inserts templates by it.
    QString id;
    Folder folder = Folder::downloads;
    // A new rule, with new identifiers every time the list is built.
    Rule rule;
    // The top folders under the home folder that the rule writes into
    // ("~/Documents", or the desktop's own name for it: "~/Dokumente").
    QStringList destinationRoots;
};

// "receipts", "screenshots", "installers", "letters", "finance", in this order;
// names and folders in the given language, every rule switched on. They file
// into the desktop's own Documents and Pictures folders.
QList<Template> all(NameLanguage language);

} // namespace RuleTemplates
