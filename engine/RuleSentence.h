// A rule told as one plain sentence in German or English, as the rule cards,
// the rule editor and onboarding show it.
#pragma once

#include "Recognition.h"
#include "Rule.h"

#include <QString>
#include <QStringList>

namespace RuleSentence {

// "When a new file arrives in Downloads and it is an invoice, then move it to ~/Archive."
QString make(const Rule &rule, const QString &folderName, NameLanguage language);

// One condition clause ("the name contains “scan”").
QString condition(const Condition &condition, bool de);

// One action phrase ("move it to ~/Archive").
QString action(const RuleAction &action, bool de);

// A text operator applied to a value that is already quoted.
QString textOp(Condition::Operator op, const QString &quoted, bool de);

// The word for one file-type value: a category's word, or ".ext" for a bare extension.
QString category(const QString &value, bool de);

// Alternatives: "a, b or c" / "a, b oder c".
QString list(const QStringList &items, bool de);

// All of them: "a, b and c" / "a, b und c".
QString join(const QStringList &items, bool de);

} // namespace RuleSentence
