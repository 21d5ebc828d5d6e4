// One inotify instance and the directory watches it holds: the owner of the
// file descriptor, and the two-way map between watch descriptors and the
// directories they stand for (kept up to date when directories move).
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class InotifyWatch
{
public:
    // What happened to one entry of a watched directory.
    struct Event
    {
        QString directory; // the watched directory the entry is in
        QString name;      // the entry's name; empty for the directory itself
        std::uint32_t mask = 0;
        std::uint32_t cookie = 0;

        QString path() const;
        bool isDirectory() const;
    };

    enum class AddResult { added, limitReached, failed };

    // Opens a non-blocking instance; isValid() tells whether that worked.
    InotifyWatch();
    ~InotifyWatch();
    InotifyWatch(const InotifyWatch &) = delete;
    InotifyWatch &operator=(const InotifyWatch &) = delete;

    bool isValid() const { return m_fd >= 0; }
    // The errno of a failed open: EMFILE when the per-user instance limit is reached.
    int openError() const { return m_openError; }
    int descriptor() const { return m_fd; }

    // Watches a directory for entries created, opened, written and closed, and
    // moved in or out. Symbolic links are followed only when followLink is set.
    AddResult add(const QString &directory, bool followLink = false);
    bool contains(const QString &directory) const { return m_descriptors.contains(directory); }
    QStringList directories() const { return m_descriptors.keys(); }

    // Stops watching a directory and every watched directory below it.
    void removeTree(const QString &directory);
    // A watched directory was renamed: its watch and those below it follow.
    void moveTree(const QString &from, const QString &to);

    // Reads every event queued so far without blocking. Sets overflowed when
    // the kernel's queue ran over and events were lost.
    std::vector<Event> read(bool &overflowed);

private:
    void forget(int wd);

    int m_fd = -1;
    int m_openError = 0;
    QHash<int, QString> m_paths;
    QHash<QString, int> m_descriptors;
};
