#include "WalCheckpointer.h"

#include <QFile>

#include <sqlite3.h>

WalCheckpointer::WalCheckpointer(const QString &path, sqlite3 *main)
    : m_main(main)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (sqlite3_open_v2(encoded.constData(), &m_connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        // Without a second connection the main one keeps checkpointing itself.
        sqlite3_close(m_connection);
        m_connection = nullptr;
        return;
    }
    sqlite3_busy_timeout(m_connection, 10000);
    // Replaces SQLite's automatic checkpoint on the main connection.
    sqlite3_wal_hook(m_main, &WalCheckpointer::onCommit, this);
    m_thread = std::thread([this] { run(); });
}

WalCheckpointer::~WalCheckpointer()
{
    if (!m_connection)
        return;
    sqlite3_wal_autocheckpoint(m_main, thresholdPages);
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
    sqlite3_close(m_connection);
}

void WalCheckpointer::request()
{
    {
        const std::lock_guard lock(m_mutex);
        m_requested = true;
    }
    m_wake.notify_one();
}

int WalCheckpointer::completed() const
{
    const std::lock_guard lock(m_mutex);
    return m_completed;
}

int WalCheckpointer::onCommit(void *self, sqlite3 *, const char *, int pages)
{
    if (pages >= thresholdPages)
        static_cast<WalCheckpointer *>(self)->request();
    return SQLITE_OK;
}

void WalCheckpointer::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_requested || m_stopping; });
        if (m_stopping)
            return;
        m_requested = false;
        lock.unlock();
        // Passive: copies what no reader still needs and never blocks writers.
        sqlite3_wal_checkpoint_v2(m_connection, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        lock.lock();
        ++m_completed;
    }
}
