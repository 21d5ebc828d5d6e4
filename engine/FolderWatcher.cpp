#include "FolderWatcher.h"

#include "FileNameBytes.h"
#include "FileTimes.h"
#include "InotifyWatch.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QtDebug>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The queue's label; the kernel keeps 15 characters of a thread's name.
constexpr char queueLabel[] = "filewright.fsevents";

// After a lost event the folder is scanned for items added since the kernel's
// queue was last seen empty; the margin covers the coarse clock of ctime.
constexpr qint64 rescanMarginMs = 1000;

qint64 nowMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The entry at path, or the one its text stands for when the entry's name is
// not valid UTF-8: such an item is reported too, so that it is not lost
// without a word.
bool statItem(const QString &path, struct stat &info)
{
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
        return true;
    const std::optional<QByteArray> bytes = FileNameBytes::undecodable(path);
    return bytes && ::lstat(bytes->constData(), &info) == 0;
}

bool itemExists(const QString &path)
{
    struct stat info;
    return statItem(path, info);
}

bool isRegularFile(const QString &path)
{
    struct stat info;
    return statItem(path, info) && S_ISREG(info.st_mode);
}

bool addedSince(const QString &path, qint64 since)
{
    const FileTimes times = FileTimes::read(path);
    return !times.added || times.added->toMSecsSinceEpoch() >= since;
}

// With noting set, also the entries Qt's listing leaves out, names that are
// not valid UTF-8, by their decoded text (as folders they cannot be watched).
QFileInfoList entriesOf(const QString &directory, bool noting)
{
    QFileInfoList entries = QDir(directory).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    if (noting) {
        for (const FileNameBytes::Entry &entry : FileNameBytes::undecodableIn(directory))
            entries.append(QFileInfo(entry.path));
    }
    return entries;
}

bool isRealDirectory(const QFileInfo &entry)
{
    return entry.isDir() && !entry.isSymLink();
}
} // namespace

// One watched folder: its inotify instance and the batch gathered so far.
class FolderWatcher::Stream
{
public:
    Stream(const QString &folder, bool includeSubfolders)
        : m_root(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()))
        , m_prefix(m_root.endsWith(QLatin1Char('/')) ? m_root : m_root + QLatin1Char('/'))
        , m_subfolders(includeSubfolders)
    {
    }

    InotifyWatch::AddResult start()
    {
        m_emptySince = nowMs();
        if (!m_watch.isValid())
            return m_watch.openError() == EMFILE ? InotifyWatch::AddResult::limitReached
                                                 : InotifyWatch::AddResult::failed;
        const auto result = m_watch.add(m_root, true);
        if (result == InotifyWatch::AddResult::added && m_subfolders)
            watchBelow(m_root, false);
        return result;
    }

    int descriptor() const { return m_watch.descriptor(); }
    bool limitReached() const { return m_limitReached; }
    bool hasPending() const { return !m_pending.isEmpty() || !m_movedAway.isEmpty() || !m_linkedIn.isEmpty(); }

    // Reads what the kernel has queued and notes the items that count.
    void read()
    {
        const qint64 readingSince = nowMs();
        bool overflowed = false;
        for (const InotifyWatch::Event &event : m_watch.read(overflowed)) {
            const QString justCreated = std::exchange(m_justCreated, QString());
            if (event.name.isEmpty())
                continue;
            const QString path = event.path();
            if (!event.isDirectory()) {
                // Written and closed, or moved in (a finished download is renamed
                // into place).
                if (event.mask & (IN_CLOSE_WRITE | IN_MOVED_TO))
                    note(path);
                // A file created by opening it (the open is the very next event)
                // is still being written and comes with its close. One linked in
                // whole (a hard link, or a temporary file given its name, as Qt's
                // copies and saves do) raises no other event: it counts as it is.
                else if (event.mask & IN_CREATE) {
                    m_linkedIn.insert(path);
                    m_justCreated = path;
                } else if ((event.mask & IN_OPEN) && path == justCreated) {
                    m_linkedIn.remove(path);
                }
                continue;
            }
            if (event.mask & IN_MOVED_FROM) {
                if (m_subfolders) {
                    // Park the subfolder's watches under a name no path can have
                    // until it turns up again (renamed) or the batch ends (moved out).
                    const QString parked = QStringLiteral("moved:%1").arg(event.cookie);
                    m_watch.moveTree(path, parked);
                    m_movedAway.insert(event.cookie, parked);
                }
                continue;
            }
            if (!(event.mask & (IN_CREATE | IN_MOVED_TO)))
                continue;
            note(path);
            if (!m_subfolders)
                continue;
            const auto parked = m_movedAway.constFind(event.cookie);
            if ((event.mask & IN_MOVED_TO) && parked != m_movedAway.cend()) {
                m_watch.moveTree(*parked, path); // renamed within the folder: nothing new inside
                m_movedAway.erase(parked);
            } else {
                watchDirectory(path, true); // what came with it raises no events of its own
            }
        }
        if (overflowed)
            rescan(m_emptySince - rescanMarginMs);
        m_emptySince = readingSince;
    }

    // The batch: each noted item once, where it belongs and still exists.
    QStringList take()
    {
        for (const QString &parked : std::as_const(m_movedAway))
            m_watch.removeTree(parked);
        m_movedAway.clear();
        for (const QString &path : std::as_const(m_linkedIn)) {
            if (isRegularFile(path))
                note(path);
        }
        m_linkedIn.clear();
        QStringList files;
        for (const QString &path : std::as_const(m_pending)) {
            if (belongs(path) && itemExists(path))
                files.append(path);
        }
        m_pending.clear();
        m_noted.clear();
        return files;
    }

private:
    void note(const QString &path)
    {
        if (!m_noted.contains(path)) {
            m_noted.insert(path);
            m_pending.append(path);
        }
    }

    // A folder's own children, or everything below it where subfolders count.
    // The "/" keeps a sibling whose name merely begins with the folder's out.
    bool belongs(const QString &path) const
    {
        if (path.size() <= m_prefix.size() || !path.startsWith(m_prefix))
            return false;
        return m_subfolders || path.indexOf(QLatin1Char('/'), m_prefix.size()) < 0;
    }

    void watchDirectory(const QString &directory, bool isNew)
    {
        bool watching = false;
        if (!m_limitReached) {
            switch (m_watch.add(directory)) {
            case InotifyWatch::AddResult::added:
                watching = true;
                break;
            case InotifyWatch::AddResult::limitReached:
                m_limitReached = true;
                break;
            case InotifyWatch::AddResult::failed:
                return; // gone again, or not readable
            }
        }
        if (watching || isNew)
            watchBelow(directory, isNew);
    }

    // Watches the subfolders below a directory; where the directory is new,
    // also notes everything in it, since it came without events of its own.
    void watchBelow(const QString &directory, bool isNew)
    {
        for (const QFileInfo &entry : entriesOf(directory, isNew)) {
            if (isNew)
                note(entry.filePath());
            if (isRealDirectory(entry))
                watchDirectory(entry.filePath(), isNew);
        }
        // The watch went on before the listing: whatever arrives from now on
        // raises events, whatever was there already has just been noted.
    }

    // Events were lost: note what was added since the kernel's queue was last
    // empty, watch subfolders that appeared meanwhile (with all they hold), and
    // drop the watches of subfolders that went away.
    void rescan(qint64 since)
    {
        m_watch.add(m_root, true);
        rescanBelow(m_root, since);
        if (!m_subfolders)
            return;
        for (const QString &directory : m_watch.directories()) {
            if (directory != m_root && !QFileInfo(directory).isDir())
                m_watch.removeTree(directory);
        }
    }

    void rescanBelow(const QString &directory, qint64 since)
    {
        for (const QFileInfo &entry : entriesOf(directory, true)) {
            const QString path = entry.filePath();
            if (!m_subfolders || !isRealDirectory(entry)) {
                if (addedSince(path, since))
                    note(path);
                continue;
            }
            if (!m_watch.contains(path)) {
                note(path);
                watchDirectory(path, true);
                continue;
            }
            if (addedSince(path, since))
                note(path);
            m_watch.add(path); // the same watch; its path is brought up to date
            rescanBelow(path, since);
        }
    }

    const QString m_root;
    const QString m_prefix;
    const bool m_subfolders;
    InotifyWatch m_watch;
    QStringList m_pending;
    QSet<QString> m_noted;
    QHash<std::uint32_t, QString> m_movedAway;
    QSet<QString> m_linkedIn; // created without being opened
    QString m_justCreated;    // the file the previous event created
    bool m_limitReached = false;
    qint64 m_emptySince = 0; // when the kernel's queue was last read empty
};

// The watcher's thread: a list of tasks that callers wait for, and an event
// file that wakes the thread's poll when a task arrives.
class FolderWatcher::Queue
{
public:
    Queue()
        : m_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
    }
    ~Queue()
    {
        if (m_wake >= 0)
            ::close(m_wake);
    }
    Queue(const Queue &) = delete;
    Queue &operator=(const Queue &) = delete;

    int wakeDescriptor() const { return m_wake; }
    bool isCurrent() const { return std::this_thread::get_id() == thread.get_id(); }

    void post(std::function<void()> task)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        wake();
    }

    void quit()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_quitting = true;
        }
        wake();
    }

    // The tasks posted so far; quitting tells whether the thread is to end.
    std::deque<std::function<void()>> take(bool &quitting)
    {
        std::uint64_t count = 0;
        while (::read(m_wake, &count, sizeof count) < 0 && errno == EINTR) {
        }
        const std::lock_guard lock(m_mutex);
        quitting = m_quitting;
        return std::exchange(m_tasks, {});
    }

    std::thread thread;

private:
    void wake()
    {
        const std::uint64_t one = 1;
        while (::write(m_wake, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }

    const int m_wake;
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
    bool m_quitting = false;
};

FolderWatcher::FolderWatcher(Handler handler, LimitHandler limitReached, std::chrono::milliseconds window)
    : m_handler(std::move(handler))
    , m_limitReached(std::move(limitReached))
    , m_window(window)
    , m_queue(std::make_unique<Queue>())
{
    m_queue->thread = std::thread([this] { loop(); });
    char name[16] = {};
    std::copy_n(queueLabel, sizeof name - 1, name);
    pthread_setname_np(m_queue->thread.native_handle(), name);
}

FolderWatcher::~FolderWatcher()
{
    if (m_queue->isCurrent())
        qFatal("FolderWatcher destroyed from inside its own handler");
    stopAll();
    m_queue->quit();
    m_queue->thread.join();
}

void FolderWatcher::runOnQueue(const std::function<void()> &task) const
{
    if (m_queue->isCurrent()) {
        task(); // from inside the handler: waiting for ourselves would never end
        return;
    }
    std::packaged_task<void()> job(task);
    std::future<void> done = job.get_future();
    m_queue->post([&job] { job(); });
    done.get();
}

void FolderWatcher::watch(const QString &folder, bool includeSubfolders)
{
    runOnQueue([&] {
        if (m_streams.count(folder))
            return;
        auto stream = std::make_unique<Stream>(folder, includeSubfolders);
        switch (stream->start()) {
        case InotifyWatch::AddResult::added:
            break;
        case InotifyWatch::AddResult::limitReached:
            m_limited.insert(folder);
            if (m_limitReached)
                m_limitReached(folder);
            return;
        case InotifyWatch::AddResult::failed:
            return;
        }
        m_limited.remove(folder);
        noticeLimit(folder, *stream);
        m_streams.emplace(folder, std::move(stream));
    });
}

void FolderWatcher::stop(const QString &folder)
{
    runOnQueue([&] { stopOnQueue(folder); });
}

void FolderWatcher::stopOnQueue(const QString &folder)
{
    m_streams.erase(folder);
    m_limited.remove(folder);
}

void FolderWatcher::stopAll()
{
    const QStringList folders = watched();
    for (const QString &folder : folders)
        stop(folder);
}

QStringList FolderWatcher::watched() const
{
    QStringList folders;
    runOnQueue([&] {
        for (const auto &entry : m_streams)
            folders.append(entry.first);
    });
    return folders;
}

QStringList FolderWatcher::limited() const
{
    QStringList folders;
    runOnQueue([&] { folders = QStringList(m_limited.cbegin(), m_limited.cend()); });
    return folders;
}

void FolderWatcher::noticeLimit(const QString &folder, const Stream &stream)
{
    if (!stream.limitReached() || m_limited.contains(folder))
        return;
    m_limited.insert(folder);
    if (m_limitReached)
        m_limitReached(folder);
}

void FolderWatcher::loop()
{
    using Clock = std::chrono::steady_clock;
    bool batchOpen = false;
    Clock::time_point deadline;
    std::vector<pollfd> descriptors;
    std::vector<std::pair<QString, Stream *>> polled;
    for (;;) {
        descriptors.assign(1, pollfd{m_queue->wakeDescriptor(), POLLIN, 0});
        polled.clear();
        for (const auto &[folder, stream] : m_streams) {
            descriptors.push_back(pollfd{stream->descriptor(), POLLIN, 0});
            polled.emplace_back(folder, stream.get());
        }
        int timeout = -1;
        if (batchOpen) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            timeout = int(std::max<std::chrono::milliseconds::rep>(0, left.count()));
        }
        if (::poll(descriptors.data(), descriptors.size(), timeout) < 0 && errno != EINTR)
            qWarning("Folder watcher: poll failed: %s", strerror(errno));

        for (std::size_t i = 1; i < descriptors.size(); ++i) {
            if (!(descriptors[i].revents & POLLIN))
                continue;
            auto &[folder, stream] = polled[i - 1];
            stream->read();
            noticeLimit(folder, *stream);
            if (!batchOpen && stream->hasPending()) {
                batchOpen = true; // the batch's window opens with its first item
                deadline = Clock::now() + m_window;
            }
        }

        if (descriptors[0].revents & POLLIN) {
            bool quitting = false;
            for (auto &task : m_queue->take(quitting))
                task();
            if (quitting)
                return;
        }

        if (batchOpen && Clock::now() >= deadline) {
            batchOpen = false;
            deliver();
        }
    }
}

void FolderWatcher::deliver()
{
    std::vector<std::pair<QString, QStringList>> batches;
    for (const auto &[folder, stream] : m_streams) {
        QStringList files = stream->take();
        if (!files.isEmpty())
            batches.emplace_back(folder, std::move(files));
    }
    for (const auto &[folder, files] : batches) {
        if (!m_streams.count(folder))
            continue; // stopped by the handler meanwhile
        try {
            m_handler(folder, files);
        } catch (const std::exception &error) {
            qWarning("Folder watcher: the handler failed: %s", error.what());
        } catch (...) {
            qWarning("Folder watcher: the handler failed");
        }
    }
}

QStringList FolderWatcher::recentFiles(const QString &folder, int limit)
{
    if (limit <= 0)
        return {};
    struct Item
    {
        QString path;
        qint64 date;
    };
    std::vector<Item> items;
    const auto add = [&items](const QString &path, const FileTimes &times) {
        if (!times.added && !times.created && !times.modified)
            return; // could not be read
        const std::optional<QDateTime> &date = times.added ? times.added : times.created;
        items.push_back({path, date ? date->toMSecsSinceEpoch() : std::numeric_limits<qint64>::min()});
    };
    // Regular files only: no folders, no links, no hidden items.
    QDirIterator listing(folder, QDir::Files | QDir::NoSymLinks);
    while (listing.hasNext()) {
        const QString path = listing.next();
        add(path, FileTimes::read(path));
    }
    // Qt's listing leaves out names that are not valid UTF-8: they come by
    // their decoded text.
    for (const FileNameBytes::Entry &entry : FileNameBytes::undecodableIn(folder)) {
        struct stat info;
        if (!QFileInfo(entry.path).fileName().startsWith(QLatin1Char('.'))
            && ::lstat(entry.encoded.constData(), &info) == 0 && S_ISREG(info.st_mode))
            add(entry.path, FileTimes::readEncoded(entry.encoded));
    }
    std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &b) { return a.date > b.date; });
    QStringList files;
    for (std::size_t i = 0; i < items.size() && i < std::size_t(limit); ++i)
        files.append(items[i].path);
    return files;
}
