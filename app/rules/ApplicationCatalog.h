// The installed applications that an "Open with" action can name, read from
// their desktop entries on a worker thread of the catalogue's own once per
// editor.
#pragma once

#include "ApplicationLauncher.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>

#include <memory>

class QThreadPool;

class ApplicationCatalog : public QObject
{
    Q_OBJECT

public:
    explicit ApplicationCatalog(QObject *parent = nullptr);
    // Waits a moment for a reading still under way; one that hangs on the
    // disk is left to the end of the process.
    ~ApplicationCatalog() override;

    bool isLoaded() const { return m_loaded; }
    // Empty until loaded.
    const QList<ApplicationLauncher::InstalledApplication> &applications() const { return m_applications; }

Q_SIGNALS:
    void loaded();

private:
    // The reading may wait on the disk: it never holds a thread of the
    // shared pool, which painting waits for.
    std::unique_ptr<QThreadPool> m_pool;
    QFutureWatcher<QList<ApplicationLauncher::InstalledApplication>> m_watcher;
    QList<ApplicationLauncher::InstalledApplication> m_applications;
    bool m_loaded = false;
};
