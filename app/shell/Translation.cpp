#include "Translation.h"

#include "Prefs.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

namespace Translation {

namespace {

// Installed beside the executable's prefix, in the XDG data folders, or
// (when run from the build tree) where the build compiled it.
QString translationFile(const QString &name)
{
    QStringList folders{QCoreApplication::applicationDirPath() + QStringLiteral("/../share/filewright/translations")};
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(data + QStringLiteral("/filewright/translations"));
    folders.append(QStringLiteral(FILEWRIGHT_BUILD_TRANSLATIONS));
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(name);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

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
        ? translationFile(QStringLiteral("filewright_de.qm"))
        : QString();
    if (german.isEmpty()) {
        // The English texts are the sources; only counted ones need their forms.
        if (const QString english = translationFile(QStringLiteral("filewright_en.qm")); !english.isEmpty())
            load(english);
        return NameLanguage::en;
    }
    load(german);
    load(QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_de.qm")));
    return NameLanguage::de;
}

} // namespace Translation
