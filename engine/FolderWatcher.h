// Watches folders for new items and hands them, in batches, to one handler.
//
// Each watched folder has an inotify instance of its own; one thread of the
// watcher's own (the queue "filewright.fsevents") reads them all, gathers
// what arrives within a short window into one batch, and calls the handler
// once per folder that received something. Reported are items written and
// closed, moved in, and new folders: the folder's own children, or
// everything below it where the folder includes subfolders. Each item comes
// once per batch, and only when it still exists when the batch is delivered.
// An item whose name is not valid UTF-8 comes by its decoded text, which
// names no file (FileNameBytes finds it again).
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

class FolderWatcher
{
public:
    // Called on the watcher's thread with the folder exactly as passed to
    // watch() and the absolute paths of its new items.
    using Handler = std::function<void(const QString &folder, const QStringList &files)>;
    // Called on the watcher's thread when the system's limit of inotify
    // watches (or instances) keeps a folder, or part of what is below it,
    // from being watched. The rest goes on working.
    using LimitHandler = std::function<void(const QString &folder)>;

    static constexpr std::chrono::milliseconds defaultWindow{500};

    explicit FolderWatcher(Handler handler, LimitHandler limitReached = {},
                           std::chrono::milliseconds window = defaultWindow);
    // Stops every folder first. Must not run inside the handler.
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher &) = delete;
    FolderWatcher &operator=(const FolderWatcher &) = delete;

    // These wait for the watcher's thread (and so for a batch being handled).
    // Called from inside the handler they run at once instead.

    // Starts watching a folder; a folder already watched stays as it is, its
    // subfolder flag included. A folder that cannot be watched is left out.
    void watch(const QString &folder, bool includeSubfolders);
    // Stops watching a folder; one that is not watched is ignored.
    void stop(const QString &folder);
    void stopAll();
    // The folders being watched, in no particular order.
    QStringList watched() const;
    // The folders the watch limit keeps from being watched completely (or at
    // all), until they are stopped.
    QStringList limited() const;

    // The newest files directly in a folder by the date they were added to it,
    // newest first, at most limit of them. Hidden items and folders are left
    // out; a folder that cannot be listed gives an empty list. A name that is
    // not valid UTF-8 is listed by its decoded text.
    static QStringList recentFiles(const QString &folder, int limit);

private:
    class Stream; // one watched folder
    class Queue;  // the thread, its task list and its wake-up

    void runOnQueue(const std::function<void()> &task) const;
    void loop();
    void noticeLimit(const QString &folder, const Stream &stream);
    void deliver();
    void stopOnQueue(const QString &folder);

    const Handler m_handler;
    const LimitHandler m_limitReached;
    const std::chrono::milliseconds m_window;
    // Touched only on the queue.
    std::map<QString, std::unique_ptr<Stream>> m_streams;
    QSet<QString> m_limited;
    std::unique_ptr<Queue> m_queue;
};
