#include "Translation.h"

#include "LanguageTexts.h"
#include "Prefs.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace Translation {

namespace {

void load(const QString &path)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(path))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

NameLanguage install()
{
    const QString german = Prefs::sentenceLanguage() == NameLanguage::de
        ? LanguageTexts::translationFile(QStringLiteral("filewright_de.qm"))
        : QString();
    if (german.isEmpty()) {
        // The English texts are the sources; only counted ones need their forms.
        if (const QString english = LanguageTexts::translationFile(QStringLiteral("filewright_en.qm")); !english.isEmpty())
            load(english);
        return NameLanguage::en;
    }
    load(german);
    load(QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_de.qm")));
    return NameLanguage::de;
}

} // namespace Translation
