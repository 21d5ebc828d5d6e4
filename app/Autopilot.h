// The one automation driver: keeps access to the stored folders, watches the
// watched ones, and carries their new files through recognition, rules and
// filing into the journal. Lives on the main thread.
#pragma once

#include "ModelReader.h"
#include "Models.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class FolderWatcher;
class Store;

class Autopilot : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QStringList busyFiles READ busyFiles NOTIFY busyFilesChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)

public:
    static constexpr int sweepIntervalSeconds = 3600;

    explicit Autopilot(Store &store, QObject *parent = nullptr);
    ~Autopilot() override;

    Store &store() const { return m_store; }

    // Starts folder access, watching and the hourly Trash sweep.
    void start();
    // Stops watching and starts again; nothing when never started.
    void restart();
    bool isStarted() const { return m_watcher != nullptr; }

    // Keeps a folder the user chose (watched, or a place rules may file into)
    // and returns its record; nothing, with lastError set, when the folder
    // cannot be kept.
    std::optional<WatchedFolder> addFolder(const QString &path, bool watched);
    // The folder's path with access started, or nothing when it cannot be
    // found again (then it is marked to be chosen again; the caller saves).
    std::optional<QString> startAccess(WatchedFolder &folder);
    std::optional<WatchedFolder> folder(const std::optional<QUuid> &id) const;
    // Whether a target lies in a stored folder or place.
    bool canWrite(const QString &path) const;

    // Runs the folder's newest files through the rules; calls done with the
    // number of journal entries made.
    void cleanUp(const WatchedFolder &folder, std::function<void(int)> done);
    // Moves due filed files to the Trash.
    void sweepTrash(const QDateTime &now);

    ModelStatus modelStatus() const { return m_modelStatus; }
    void refreshModelStatus();
    QStringList busyFiles() const { return m_busyFiles; }
    QString lastError() const { return m_lastError; }
    // Folders the kernel's watch limit kept from being watched fully.
    QStringList limitedFolders() const { return m_limitedFolders; }

Q_SIGNALS:
    void modelStatusChanged();
    void busyFilesChanged();
    void lastErrorChanged();
    void limitedFoldersChanged();

private:
    // New files of a watched folder, as the watcher reported them.
    void received(const QString &folder, const QStringList &files);
    void setLastError(const QString &text);
    void noteLimitReached(const QString &folder);

    Store &m_store;
    std::unique_ptr<FolderWatcher> m_watcher;
    QHash<QString, QString> m_accessing;
    std::unique_ptr<QTimer> m_sweepTimer;
    ModelStatus m_modelStatus = ModelStatus::notReady;
    QStringList m_busyFiles;
    QString m_lastError;
    QStringList m_limitedFolders;
};
