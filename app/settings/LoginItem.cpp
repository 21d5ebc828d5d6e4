#include "LoginItem.h"

#include "DesktopEntryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace LoginItem {

namespace {

// The installed desktop entry, or one that starts this executable.
QByteArray entryContents()
{
    const QString installed =
        QStandardPaths::locate(QStandardPaths::ApplicationsLocation, QString::fromUtf16(entryName));
    if (!installed.isEmpty()) {
        QFile file(installed);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    QString executable = QCoreApplication::applicationFilePath();
    // Desktop entries quote arguments with double quotes and escape these.
    for (const char *special : {"\\", "\"", "`", "$"})
        executable.replace(QLatin1String(special), QLatin1String("\\") + QLatin1String(special));
    return QStringLiteral("[Desktop Entry]\nType=Application\nName=Filewright\nExec=\"%1\"\nIcon=filewright\n"
                          "Terminal=false\n")
        .arg(executable)
        .toUtf8();
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Makes the folder and each missing folder above it. On failure, names the
// first one that could not be made (or the file standing where it belongs)
// and says why in the system's words.
std::optional<QString> makeFolder(const QString &folder)
{
    const auto failure = [](const QString &made, int error) {
        return QCoreApplication::translate("LoginItem", "Could not create the folder %1: %2").arg(made, systemError(error));
    };
    QString made;
    for (const QString &name : QDir::cleanPath(folder).split(u'/', Qt::SkipEmptyParts)) {
        made += u'/' + name;
        const QByteArray local = QFile::encodeName(made);
        struct stat info {};
        if (::stat(local.constData(), &info) == 0) {
            if (S_ISDIR(info.st_mode))
                continue;
            return failure(made, ENOTDIR);
        }
        if (::mkdir(local.constData(), 0777) == 0)
            continue;
        const int error = errno;
        // Made by another hand in between.
        if (error == EEXIST && QFileInfo(made).isDir())
            continue;
        return failure(made, error);
    }
    return std::nullopt;
}

} // namespace

QString path()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/")
        + QString::fromUtf16(entryName);
}

bool isEnabled()
{
    if (!QFileInfo(path()).isFile())
        return false;
    const std::optional<QHash<QString, QString>> entry = DesktopEntryFile::read(path());
    // A desktop skips a hidden entry, and GNOME also one it was told not to start.
    return entry && !DesktopEntryFile::isTrue(*entry, QStringLiteral("Hidden"))
        && !DesktopEntryFile::isFalse(*entry, QStringLiteral("X-GNOME-Autostart-enabled"));
}

bool setEnabled(bool enabled, QString *error)
{
    const auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    const QString file = path();
    if (!enabled) {
        QFile entry(file);
        if (!entry.exists() || entry.remove())
            return true;
        return fail(QCoreApplication::translate("LoginItem", "Could not remove %1: %2").arg(file, entry.errorString()));
    }
    if (const std::optional<QString> folderError = makeFolder(QFileInfo(file).path()))
        return fail(*folderError);
    QSaveFile entry(file);
    if (!entry.open(QIODevice::WriteOnly) || entry.write(entryContents()) < 0 || !entry.commit())
        return fail(QCoreApplication::translate("LoginItem", "Could not write %1: %2").arg(file, entry.errorString()));
    return true;
}

} // namespace LoginItem
