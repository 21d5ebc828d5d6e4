#include "ApplicationCatalog.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// How long the catalogue's end waits for a reading still under way.
constexpr int endPatienceMs = 500;

} // namespace

ApplicationCatalog::ApplicationCatalog(QObject *parent)
    : QObject(parent)
    , m_pool(std::make_unique<QThreadPool>())
{
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        m_applications = m_watcher.result();
        m_loaded = true;
        Q_EMIT loaded();
    });
    m_watcher.setFuture(QtConcurrent::run(m_pool.get(), &ApplicationLauncher::installed));
}

ApplicationCatalog::~ApplicationCatalog()
{
    if (!m_pool->waitForDone(endPatienceMs)) {
        // The reading owns nothing of the catalogue; its thread would hold
        // the pool for ever, so both are left to the end of the process.
        (void)m_pool.release();
    }
}
