// Why an automation action failed: one of the actions' own reasons, told in
// their words in the language asked for, or a failure of the file system or
// the export, passed on with its own message.
#pragma once

#include "Recognition.h"

#include <QString>

#include <optional>
#include <variant>

enum class FilewrightIntentError { folderGone, noAccess, noReceipts };

struct ActionError
{
    // None: a failure of the file system or the export.
    std::optional<FilewrightIntentError> reason;
    QString message;

    static ActionError of(FilewrightIntentError reason, NameLanguage language);
    static ActionError failure(const QString &message);
    static QString text(FilewrightIntentError reason, NameLanguage language);

    friend bool operator==(const ActionError &, const ActionError &) = default;
};

// An action's value, or why there is none.
template<typename T>
using ActionResult = std::variant<T, ActionError>;
