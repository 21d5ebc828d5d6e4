#include "FileManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace FileManager {

namespace {

void openFolderOf(const QString &path, const NotShown &notShown)
{
    const QFileInfo info(path);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)) && notShown)
        notShown();
}

} // namespace

void showItems(const QStringList &paths, NotShown notShown)
{
    if (paths.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolderOf(paths.constFirst(), notShown);
        return;
    }
    QStringList uris;
    for (const QString &path : paths)
        uris.append(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call.setArguments({uris, QString()});
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), nullptr);
    const QString first = paths.constFirst();
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                     [first, notShown = std::move(notShown)](QDBusPendingCallWatcher *finished) {
        if (finished->isError())
            openFolderOf(first, notShown);
        finished->deleteLater();
    });
}

} // namespace FileManager
