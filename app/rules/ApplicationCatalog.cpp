#include "ApplicationCatalog.h"

#include <QtConcurrent/QtConcurrentRun>

ApplicationCatalog::ApplicationCatalog(QObject *parent)
    : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        m_applications = m_watcher.result();
        m_loaded = true;
        Q_EMIT loaded();
    });
    m_watcher.setFuture(QtConcurrent::run(&ApplicationLauncher::installed));
}
