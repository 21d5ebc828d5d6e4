// Why an automation action failed: one of the actions' own reasons, told in
// their words, or a failure of the file system or the export, passed on
// with its own message.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>
#include <variant>

enum class FilewrightIntentError { folderGone, noAccess, noReceipts };

struct ActionError
{
    Q_DECLARE_TR_FUNCTIONS(ActionError)

public:
    // None: a failure of the file system or the export.
    std::optional<FilewrightIntentError> reason;
    QString message;

    static ActionError of(FilewrightIntentError reason);
    static ActionError failure(const QString &message);
    static QString text(FilewrightIntentError reason);

    friend bool operator==(const ActionError &, const ActionError &) = default;
};

// An action's value, or why there is none.
template<typename T>
using ActionResult = std::variant<T, ActionError>;
