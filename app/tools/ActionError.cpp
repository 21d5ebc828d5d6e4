#include "ActionError.h"

#include "LanguageTexts.h"

#include <QCoreApplication>

ActionError ActionError::of(FilewrightIntentError reason, NameLanguage language)
{
    return ActionError{reason, text(reason, language)};
}

ActionError ActionError::failure(const QString &message)
{
    return ActionError{std::nullopt, message};
}

QString ActionError::text(FilewrightIntentError reason, NameLanguage language)
{
    const char *source = nullptr;
    switch (reason) {
    case FilewrightIntentError::folderGone:
        source = QT_TRANSLATE_NOOP("ActionError", "This folder is no longer watched by Filewright.");
        break;
    case FilewrightIntentError::noAccess:
        source = QT_TRANSLATE_NOOP("ActionError",
                                   "Filewright has no access to this folder. Choose it again under Folders.");
        break;
    case FilewrightIntentError::noReceipts:
        source = QT_TRANSLATE_NOOP("ActionError", "Filewright found no receipts for this month.");
        break;
    }
    return source ? LanguageTexts::text(language, "ActionError", source) : QString();
}
