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
QString germanFile()
{
    const QString name = QStringLiteral("filewright_de.qm");
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
    if (Prefs::sentenceLanguage() != NameLanguage::de)
        return NameLanguage::en;
    const QString own = germanFile();
    if (own.isEmpty())
        return NameLanguage::en;
    load(own);
    load(QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_de.qm")));
    return NameLanguage::de;
}

} // namespace Translation
