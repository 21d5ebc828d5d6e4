#include "LoginItem.h"

#include "DesktopEntryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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
    const QString file = path();
    if (!enabled) {
        if (!QFile::exists(file) || QFile::remove(file))
            return true;
        if (error)
            *error = QCoreApplication::translate("LoginItem", "Could not remove %1.").arg(file);
        return false;
    }
    QSaveFile entry(file);
    if (!QDir().mkpath(QFileInfo(file).path()) || !entry.open(QIODevice::WriteOnly)
        || entry.write(entryContents()) < 0 || !entry.commit()) {
        if (error)
            *error = QCoreApplication::translate("LoginItem", "Could not write %1: %2").arg(file, entry.errorString());
        return false;
    }
    return true;
}

} // namespace LoginItem
