// Copies the store's write-ahead log back into the database file on a thread
// of its own, so that the disk syncs a checkpoint needs never hold up the
// main thread. The main connection only counts pages and asks for a
// checkpoint once the log has grown past a threshold.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include <QString>

struct sqlite3;

class WalCheckpointer
{
public:
    // Log pages after which a checkpoint is asked for (SQLite's own default).
    static constexpr int thresholdPages = 1000;

    // Opens a second connection to the store file and takes over the
    // checkpoints of the connection `main`.
    WalCheckpointer(const QString &path, sqlite3 *main);
    // Waits for a running checkpoint and closes the connection.
    ~WalCheckpointer();

    WalCheckpointer(const WalCheckpointer &) = delete;
    WalCheckpointer &operator=(const WalCheckpointer &) = delete;

    // Asks for a checkpoint; returns at once.
    void request();
    // How many checkpoints have run (for tests).
    int completed() const;

private:
    static int onCommit(void *self, sqlite3 *db, const char *name, int pages);
    void run();

    sqlite3 *m_main = nullptr;
    sqlite3 *m_connection = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_requested = false;
    bool m_stopping = false;
    int m_completed = 0;
    std::thread m_thread;
};
