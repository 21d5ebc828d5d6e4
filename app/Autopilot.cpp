#include "Autopilot.h"

#include "FolderBookmark.h"
#include "FolderWatcher.h"
#include "Prefs.h"
#include "Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>

Autopilot::Autopilot(Store &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    refreshModelStatus();
}

Autopilot::~Autopilot() = default;

void Autopilot::start()
{
    QList<WatchedFolder> folders = m_store.folders();
    for (WatchedFolder &folder : folders) {
        const WatchedFolder before = folder;
        startAccess(folder);
        if (!(folder == before))
            m_store.update(folder);
    }

    // The watcher calls from its own thread; the batch is handed to the main
    // thread, and dropped when the driver is gone by then.
    QPointer<Autopilot> self(this);
    auto watcher = std::make_unique<FolderWatcher>(
        [self](const QString &root, const QStringList &files) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [self, root, files] {
                    if (self)
                        self->received(root, files);
                },
                Qt::QueuedConnection);
        },
        [self](const QString &root) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [self, root] {
                    if (self)
                        self->noteLimitReached(root);
                },
                Qt::QueuedConnection);
        });
    for (const WatchedFolder &folder : std::as_const(folders)) {
        if (folder.isWatched && folder.isEnabled && !folder.needsReselect)
            watcher->watch(folder.displayPath, folder.includeSubfolders);
    }
    m_watcher = std::move(watcher);

    m_sweepTimer = std::make_unique<QTimer>();
    m_sweepTimer->setInterval(sweepIntervalSeconds * 1000);
    connect(m_sweepTimer.get(), &QTimer::timeout, this, [this] { sweepTrash(QDateTime::currentDateTimeUtc()); });
    m_sweepTimer->start();
    sweepTrash(QDateTime::currentDateTimeUtc());
}

void Autopilot::restart()
{
    if (!m_watcher)
        return;
    m_watcher->stopAll();
    m_watcher.reset();
    if (!m_limitedFolders.isEmpty()) {
        m_limitedFolders.clear();
        Q_EMIT limitedFoldersChanged();
    }
    start();
}

std::optional<WatchedFolder> Autopilot::addFolder(const QString &path, bool watched)
{
    const auto bookmark = FolderBookmark::make(path);
    if (!bookmark) {
        setLastError(tr("Filewright could not keep access to %1.").arg(path));
        return std::nullopt;
    }
    const QList<WatchedFolder> folders = m_store.folders();
    for (WatchedFolder folder : folders) {
        if (folder.displayPath != path)
            continue;
        folder.bookmark = *bookmark;
        folder.needsReselect = false;
        if (watched)
            folder.isWatched = true;
        m_store.update(folder);
        restart();
        return folder;
    }
    WatchedFolder folder(path, *bookmark, watched);
    m_store.insert(folder);
    restart();
    return folder;
}

std::optional<QString> Autopilot::startAccess(WatchedFolder &folder)
{
    const auto cached = m_accessing.constFind(folder.displayPath);
    if (cached != m_accessing.constEnd())
        return *cached;
    const auto resolved = FolderBookmark::resolve(folder.bookmark);
    // A folder that is gone, or another folder now standing at its path, must
    // be chosen again: nothing is filed into a folder the user did not choose.
    if (!resolved || resolved->isStale) {
        folder.needsReselect = true;
        return std::nullopt;
    }
    m_accessing.insert(folder.displayPath, resolved->path);
    return resolved->path;
}

std::optional<WatchedFolder> Autopilot::folder(const std::optional<QUuid> &id) const
{
    if (!id)
        return std::nullopt;
    return m_store.folder(*id);
}

bool Autopilot::canWrite(const QString &path) const
{
    const QString target = QDir::cleanPath(path);
    const QList<WatchedFolder> folders = m_store.folders();
    return std::any_of(folders.begin(), folders.end(), [&](const WatchedFolder &folder) {
        if (folder.needsReselect)
            return false;
        return target == folder.displayPath || target.startsWith(folder.displayPath + QLatin1Char('/'));
    });
}

void Autopilot::cleanUp(const WatchedFolder &folder, std::function<void(int)> done)
{
    Q_UNUSED(folder)
    // The file pipeline fills this in; until then a clean-up files nothing.
    QMetaObject::invokeMethod(this, [done = std::move(done)] { done(0); }, Qt::QueuedConnection);
}

void Autopilot::sweepTrash(const QDateTime &now)
{
    Q_UNUSED(now)
}

void Autopilot::refreshModelStatus()
{
    const ModelStatus status = ModelStatus::current(Prefs::boolValue(QString::fromUtf16(Prefs::useModelKey)));
    if (status == m_modelStatus)
        return;
    m_modelStatus = status;
    Q_EMIT modelStatusChanged();
}

void Autopilot::received(const QString &folder, const QStringList &files)
{
    Q_UNUSED(folder)
    Q_UNUSED(files)
}

void Autopilot::setLastError(const QString &text)
{
    if (text == m_lastError)
        return;
    m_lastError = text;
    Q_EMIT lastErrorChanged();
}

void Autopilot::noteLimitReached(const QString &folder)
{
    if (m_limitedFolders.contains(folder))
        return;
    m_limitedFolders.append(folder);
    Q_EMIT limitedFoldersChanged();
}
