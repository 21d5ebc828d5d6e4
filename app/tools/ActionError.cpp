#include "ActionError.h"

ActionError ActionError::of(FilewrightIntentError reason)
{
    return ActionError{reason, text(reason)};
}

ActionError ActionError::failure(const QString &message)
{
    return ActionError{std::nullopt, message};
}

QString ActionError::text(FilewrightIntentError reason)
{
    switch (reason) {
    case FilewrightIntentError::folderGone:
        return tr("This folder is no longer watched by Filewright.");
    case FilewrightIntentError::noAccess:
        return tr("Filewright has no access to this folder. Choose it again under Folders.");
    case FilewrightIntentError::noReceipts:
        return tr("Filewright found no receipts for this month.");
    }
    return {};
}
