#include "PrivateFolder.h"

#include "LanguageTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

namespace PrivateFolder {

namespace {
ActionError failure(const QString &path, const QString &reason, NameLanguage language)
{
    const char *source = QT_TRANSLATE_NOOP("AutomationActions", "Could not create the folder %1: %2");
    return ActionError::failure(LanguageTexts::text(language, "AutomationActions", source).arg(path, reason));
}
} // namespace

ActionResult<QString> create(const QString &prefix, NameLanguage language)
{
    const QString parent = QDir::tempPath();
    const QString path = QDir(parent).filePath(prefix + QUuid::createUuid().toString(QUuid::WithoutBraces));
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(parent).toStdString(), error);
    if (error)
        return failure(path, QString::fromLocal8Bit(error.message().c_str()), language);
    const QByteArray local = QFile::encodeName(path);
    // The umask can only take bits away; chmod gives back what it took.
    if (::mkdir(local.constData(), S_IRWXU) != 0 || ::chmod(local.constData(), S_IRWXU) != 0)
        return failure(path, QString::fromLocal8Bit(std::strerror(errno)), language);
    return path;
}

} // namespace PrivateFolder
