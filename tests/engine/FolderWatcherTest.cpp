#include "FileTimes.h"
#include "FolderWatcher.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using TestSupport::writeFile;

namespace {
constexpr auto patience = 10s; // an upper bound only: every wait ends as soon as its batch arrives

// Everything the watcher delivers, with a way to wait for one item.
class Deliveries
{
public:
    FolderWatcher::Handler handler()
    {
        return [this](const QString &folder, const QStringList &files) {
            const std::lock_guard lock(m_mutex);
            for (const QString &file : files)
                m_items.append({folder, file});
            m_changed.notify_all();
        };
    }

    bool waitFor(const QString &folder, const QString &file, std::chrono::milliseconds bound = patience)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, bound, [&] { return m_items.contains({folder, file}); });
    }

    bool waitForCount(const QString &folder, int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, patience, [&] { return int(filesLocked(folder).size()) >= count; });
    }

    int count(const QString &folder, const QString &file) const
    {
        const std::lock_guard lock(m_mutex);
        return int(m_items.count({folder, file}));
    }

    QSet<QString> files(const QString &folder) const
    {
        const std::lock_guard lock(m_mutex);
        return filesLocked(folder);
    }

private:
    QSet<QString> filesLocked(const QString &folder) const
    {
        QSet<QString> files;
        for (const auto &item : m_items) {
            if (item.first == folder)
                files.insert(item.second);
        }
        return files;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QList<QPair<QString, QString>> m_items;
};

class FolderWatcherTest : public ::testing::Test
{
protected:
    QString make(const QString &relative)
    {
        const QString path = m_root.path() + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        return path;
    }
    QString path(const QString &relative) const { return m_root.path() + QLatin1Char('/') + relative; }

    QTemporaryDir m_root;
    Deliveries m_deliveries;
};
} // namespace

TEST_F(FolderWatcherTest, ReportsFilesCopiedAndMovedIn)
{
    const QString inbox = make(QStringLiteral("Inbox"));
    const QString elsewhere = make(QStringLiteral("Elsewhere"));
    ASSERT_TRUE(writeFile(elsewhere + QStringLiteral("/moved.pdf"), "moved"));
    ASSERT_TRUE(writeFile(elsewhere + QStringLiteral("/source.pdf"), "copied"));

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(inbox, false);
    EXPECT_EQ(watcher.watched(), QStringList{inbox});

    ASSERT_TRUE(QFile::copy(elsewhere + QStringLiteral("/source.pdf"), inbox + QStringLiteral("/copied.pdf")));
    ASSERT_TRUE(QFile::rename(elsewhere + QStringLiteral("/moved.pdf"), inbox + QStringLiteral("/moved.pdf")));
    ASSERT_TRUE(writeFile(inbox + QStringLiteral("/written.txt"), "x"));
    // A file still being written is reported when it is closed.
    QFile unfinished(inbox + QStringLiteral("/unfinished.bin"));
    ASSERT_TRUE(unfinished.open(QIODevice::WriteOnly));
    unfinished.write("first half");
    unfinished.flush();

    EXPECT_TRUE(m_deliveries.waitFor(inbox, inbox + QStringLiteral("/copied.pdf")));
    EXPECT_TRUE(m_deliveries.waitFor(inbox, inbox + QStringLiteral("/moved.pdf")));
    EXPECT_TRUE(m_deliveries.waitFor(inbox, inbox + QStringLiteral("/written.txt")));
    EXPECT_EQ(m_deliveries.count(inbox, inbox + QStringLiteral("/copied.pdf")), 1);
    EXPECT_EQ(m_deliveries.count(inbox, inbox + QStringLiteral("/unfinished.bin")), 0);
    unfinished.write("second half");
    unfinished.close();
    EXPECT_TRUE(m_deliveries.waitFor(inbox, inbox + QStringLiteral("/unfinished.bin")));
}

TEST_F(FolderWatcherTest, ReportsEachItemOnceUnderTheNameItEndsWith)
{
    const QString downloads = make(QStringLiteral("Downloads"));
    ASSERT_TRUE(writeFile(downloads + QStringLiteral("/before.txt"), "old"));

    FolderWatcher watcher(m_deliveries.handler(), {}, 300ms);
    watcher.watch(downloads, false);

    // A browser writes "x.pdf.part" and renames it when the download is done.
    {
        QFile part(downloads + QStringLiteral("/x.pdf.part"));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        for (int chunk = 0; chunk < 8; ++chunk)
            part.write(QByteArray(4096, 'p'));
    }
    ASSERT_TRUE(QFile::rename(downloads + QStringLiteral("/x.pdf.part"), downloads + QStringLiteral("/x.pdf")));
    // Made and removed again before the batch ends.
    ASSERT_TRUE(writeFile(downloads + QStringLiteral("/temporary.txt"), "t"));
    ASSERT_TRUE(QFile::remove(downloads + QStringLiteral("/temporary.txt")));
    // Written three times over.
    for (int time = 0; time < 3; ++time)
        ASSERT_TRUE(writeFile(downloads + QStringLiteral("/thrice.txt"), QByteArray::number(time)));
    // Renamed: only the new name exists.
    ASSERT_TRUE(QFile::rename(downloads + QStringLiteral("/before.txt"), downloads + QStringLiteral("/after.txt")));
    ASSERT_TRUE(writeFile(downloads + QStringLiteral("/marker"), "m"));

    ASSERT_TRUE(m_deliveries.waitFor(downloads, downloads + QStringLiteral("/marker")));
    const QSet<QString> expected{downloads + QStringLiteral("/x.pdf"), downloads + QStringLiteral("/thrice.txt"),
                                 downloads + QStringLiteral("/after.txt"), downloads + QStringLiteral("/marker")};
    EXPECT_EQ(m_deliveries.files(downloads), expected);
    EXPECT_EQ(m_deliveries.count(downloads, downloads + QStringLiteral("/x.pdf")), 1);
    EXPECT_EQ(m_deliveries.count(downloads, downloads + QStringLiteral("/thrice.txt")), 1);
}

TEST_F(FolderWatcherTest, SubfoldersCountOnlyWhereIncluded)
{
    const QString flat = make(QStringLiteral("Docs"));
    const QString deep = make(QStringLiteral("Deep"));
    const QString sibling = make(QStringLiteral("Docs2"));
    make(QStringLiteral("Docs/old"));
    make(QStringLiteral("Deep/old/older"));
    for (const QString &name : {QStringLiteral("Arrival1"), QStringLiteral("Arrival2")}) {
        ASSERT_TRUE(writeFile(path(name + QStringLiteral("/inside.txt")), "i"));
        ASSERT_TRUE(writeFile(path(name + QStringLiteral("/nested/deeper.txt")), "d"));
    }

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(flat, false);
    watcher.watch(deep, true);

    for (const QString &folder : {flat, deep}) {
        ASSERT_TRUE(writeFile(folder + QStringLiteral("/old/file.txt"), "f"));
        ASSERT_TRUE(QDir().mkdir(folder + QStringLiteral("/new")));
        ASSERT_TRUE(writeFile(folder + QStringLiteral("/new/file.txt"), "n"));
    }
    ASSERT_TRUE(writeFile(deep + QStringLiteral("/old/older/file.txt"), "o"));
    ASSERT_TRUE(writeFile(sibling + QStringLiteral("/file.txt"), "s"));
    // Folders moved in whole: what they hold raises no events of its own.
    ASSERT_TRUE(QDir().rename(path(QStringLiteral("Arrival1")), flat + QStringLiteral("/Arrival")));
    ASSERT_TRUE(QDir().rename(path(QStringLiteral("Arrival2")), deep + QStringLiteral("/Arrival")));
    ASSERT_TRUE(writeFile(deep + QStringLiteral("/Arrival/later.txt"), "l"));
    for (const QString &folder : {flat, deep})
        ASSERT_TRUE(writeFile(folder + QStringLiteral("/marker"), "m"));

    ASSERT_TRUE(m_deliveries.waitFor(deep, deep + QStringLiteral("/Arrival/later.txt")));
    for (const QString &folder : {flat, deep})
        ASSERT_TRUE(m_deliveries.waitFor(folder, folder + QStringLiteral("/marker")));

    // New folders come like files; nothing below the folder itself.
    const QSet<QString> flatExpected{flat + QStringLiteral("/new"), flat + QStringLiteral("/Arrival"),
                                     flat + QStringLiteral("/marker")};
    EXPECT_EQ(m_deliveries.files(flat), flatExpected);

    const QSet<QString> deepExpected{deep + QStringLiteral("/old/file.txt"),
                                     deep + QStringLiteral("/old/older/file.txt"),
                                     deep + QStringLiteral("/new"),
                                     deep + QStringLiteral("/new/file.txt"),
                                     deep + QStringLiteral("/Arrival"),
                                     deep + QStringLiteral("/Arrival/inside.txt"),
                                     deep + QStringLiteral("/Arrival/nested"),
                                     deep + QStringLiteral("/Arrival/nested/deeper.txt"),
                                     deep + QStringLiteral("/Arrival/later.txt"),
                                     deep + QStringLiteral("/marker")};
    EXPECT_EQ(m_deliveries.files(deep), deepExpected);
    EXPECT_TRUE(m_deliveries.files(sibling).isEmpty());
}

TEST_F(FolderWatcherTest, FollowsSubfoldersRenamedAndMovedOut)
{
    const QString deep = make(QStringLiteral("Deep"));
    const QString outside = make(QStringLiteral("Outside"));
    make(QStringLiteral("Deep/before/inner"));
    make(QStringLiteral("Deep/leaving"));
    ASSERT_TRUE(writeFile(deep + QStringLiteral("/before/inner/kept.txt"), "k"));

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(deep, true);

    // A subfolder renamed within the folder is reported under its new name,
    // without its old contents, and goes on being watched there.
    ASSERT_TRUE(QDir().rename(deep + QStringLiteral("/before"), deep + QStringLiteral("/after")));
    ASSERT_TRUE(QDir().rename(deep + QStringLiteral("/leaving"), outside + QStringLiteral("/left")));
    ASSERT_TRUE(writeFile(deep + QStringLiteral("/marker1"), "m"));
    ASSERT_TRUE(m_deliveries.waitFor(deep, deep + QStringLiteral("/marker1")));

    ASSERT_TRUE(writeFile(deep + QStringLiteral("/after/inner/new.txt"), "n"));
    ASSERT_TRUE(writeFile(outside + QStringLiteral("/left/gone.txt"), "g"));
    ASSERT_TRUE(writeFile(deep + QStringLiteral("/marker2"), "m"));
    ASSERT_TRUE(m_deliveries.waitFor(deep, deep + QStringLiteral("/marker2")));

    const QSet<QString> expected{deep + QStringLiteral("/after"), deep + QStringLiteral("/marker1"),
                                 deep + QStringLiteral("/after/inner/new.txt"), deep + QStringLiteral("/marker2")};
    EXPECT_EQ(m_deliveries.files(deep), expected);
}

TEST_F(FolderWatcherTest, NestedWatchedFoldersEachGetTheItem)
{
    const QString outer = make(QStringLiteral("Outer"));
    const QString inner = make(QStringLiteral("Outer/Inner"));

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(outer, true);
    watcher.watch(inner, false);
    ASSERT_TRUE(writeFile(inner + QStringLiteral("/both.txt"), "b"));

    EXPECT_TRUE(m_deliveries.waitFor(outer, inner + QStringLiteral("/both.txt")));
    EXPECT_TRUE(m_deliveries.waitFor(inner, inner + QStringLiteral("/both.txt")));
}

TEST_F(FolderWatcherTest, WatchingTwiceKeepsTheFirstWatch)
{
    const QString folder = make(QStringLiteral("Folder"));
    make(QStringLiteral("Folder/sub"));

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(folder, false);
    watcher.watch(folder, true);
    EXPECT_EQ(watcher.watched(), QStringList{folder});

    ASSERT_TRUE(writeFile(folder + QStringLiteral("/sub/first.txt"), "f"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/marker1"), "m"));
    ASSERT_TRUE(m_deliveries.waitFor(folder, folder + QStringLiteral("/marker1")));
    EXPECT_EQ(m_deliveries.files(folder), QSet<QString>{folder + QStringLiteral("/marker1")});
    EXPECT_EQ(m_deliveries.count(folder, folder + QStringLiteral("/marker1")), 1);

    // To change the flag the folder is stopped and watched again.
    watcher.stop(folder);
    watcher.watch(folder, true);
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/sub/second.txt"), "s"));
    EXPECT_TRUE(m_deliveries.waitFor(folder, folder + QStringLiteral("/sub/second.txt")));
}

TEST_F(FolderWatcherTest, StopAndStopAll)
{
    const QString first = make(QStringLiteral("First"));
    const QString second = make(QStringLiteral("Second"));

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(first, false);
    watcher.watch(second, true);
    watcher.watch(path(QStringLiteral("missing")), false);
    watcher.stop(path(QStringLiteral("never watched")));
    QStringList watched = watcher.watched();
    watched.sort();
    EXPECT_EQ(watched, (QStringList{first, second}));

    watcher.stop(first);
    EXPECT_EQ(watcher.watched(), QStringList{second});
    ASSERT_TRUE(writeFile(first + QStringLiteral("/ignored.txt"), "i"));
    ASSERT_TRUE(writeFile(second + QStringLiteral("/seen.txt"), "s"));
    ASSERT_TRUE(m_deliveries.waitFor(second, second + QStringLiteral("/seen.txt")));
    EXPECT_TRUE(m_deliveries.files(first).isEmpty());

    watcher.stopAll();
    EXPECT_TRUE(watcher.watched().isEmpty());
    EXPECT_TRUE(watcher.limited().isEmpty());
}

TEST_F(FolderWatcherTest, HandlerMayStopFoldersAndBatchesNeverOverlap)
{
    const QString folder = make(QStringLiteral("Folder"));
    std::atomic<int> running = 0;
    std::atomic<bool> overlapped = false;
    Deliveries &deliveries = m_deliveries;
    FolderWatcher *self = nullptr;
    FolderWatcher watcher(
        [&](const QString &watchedFolder, const QStringList &files) {
            if (++running > 1)
                overlapped = true;
            std::this_thread::sleep_for(20ms);
            if (files.contains(watchedFolder + QStringLiteral("/stop")))
                self->stop(watchedFolder); // runs at once instead of waiting for itself
            --running;
            deliveries.handler()(watchedFolder, files);
        },
        {}, 10ms);
    self = &watcher;
    watcher.watch(folder, false);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(writeFile(folder + QStringLiteral("/file%1").arg(i), "f"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/stop"), "s"));
    ASSERT_TRUE(m_deliveries.waitFor(folder, folder + QStringLiteral("/stop")));
    EXPECT_TRUE(watcher.watched().isEmpty());
    EXPECT_FALSE(overlapped);
}

TEST_F(FolderWatcherTest, RescansAfterTheKernelQueueOverflows)
{
    int queueLimit = 16384;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queueLimit;
    if (queueLimit > 1000000)
        GTEST_SKIP() << "the kernel queue holds too many events to overflow it quickly";

    const QString folder = make(QStringLiteral("Burst"));
    std::mutex gateMutex;
    std::condition_variable gateChanged;
    bool open = false;
    Deliveries &deliveries = m_deliveries;
    FolderWatcher watcher(
        [&](const QString &watchedFolder, const QStringList &files) {
            deliveries.handler()(watchedFolder, files);
            std::unique_lock lock(gateMutex);
            gateChanged.wait_for(lock, patience, [&] { return open; }); // holds the queue: events pile up
        },
        {}, 20ms);
    watcher.watch(folder, true);
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/gate"), "g"));
    ASSERT_TRUE(m_deliveries.waitFor(folder, folder + QStringLiteral("/gate")));

    // Each opening for writing brings an open and a close: the queue runs over,
    // and every event after that is lost.
    const QByteArray filler = QFile::encodeName(folder + QStringLiteral("/filler"));
    for (int i = 0; i <= queueLimit / 2; ++i) {
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    QSet<QString> lost;
    for (int i = 0; i < 50; ++i) {
        lost.insert(folder + QStringLiteral("/file%1").arg(i));
        ASSERT_TRUE(writeFile(folder + QStringLiteral("/file%1").arg(i), "f"));
    }
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/late/inside.txt"), "l"));
    lost += {folder + QStringLiteral("/late"), folder + QStringLiteral("/late/inside.txt")};
    {
        const std::lock_guard lock(gateMutex);
        open = true;
    }
    gateChanged.notify_all();

    ASSERT_TRUE(m_deliveries.waitFor(folder, folder + QStringLiteral("/late/inside.txt")));
    EXPECT_TRUE(m_deliveries.files(folder).contains(lost));

    // The subfolder that came while events were lost is watched from then on.
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/late/after.txt"), "a"));
    EXPECT_TRUE(m_deliveries.waitFor(folder, folder + QStringLiteral("/late/after.txt")));
}

namespace {
// Runs in a child process of its own user namespace, where the watch limit can
// be lowered to three. Returns 0 when all is well, 77 when it cannot be set up.
int watchLimitChild(const QString &root)
{
    const std::string uid = std::to_string(getuid());
    const std::string gid = std::to_string(getgid());
    if (unshare(CLONE_NEWUSER) != 0) {
        perror("unshare");
        return 77;
    }
    const auto put = [](const char *file, const std::string &text) {
        std::ofstream out(file);
        out << text;
        out.close();
        return bool(out);
    };
    if (!put("/proc/self/setgroups", "deny") || !put("/proc/self/uid_map", "0 " + uid + " 1")
        || !put("/proc/self/gid_map", "0 " + gid + " 1") || !put("/proc/sys/user/max_inotify_watches", "3")) {
        perror("put");
        return 77;
    }

    const QString big = root + QStringLiteral("/Big");
    const QString other = root + QStringLiteral("/Other");
    for (const char *sub : {"a", "b", "c", "d"})
        QDir().mkpath(big + QLatin1Char('/') + QLatin1String(sub));
    QDir().mkpath(other);

    Deliveries deliveries;
    std::mutex mutex;
    QStringList reported;
    FolderWatcher watcher(
        deliveries.handler(),
        [&](const QString &folder) {
            const std::lock_guard lock(mutex);
            reported.append(folder);
        },
        50ms);
    watcher.watch(big, true);    // the folder and two of its subfolders fit
    watcher.watch(other, false); // nothing fits any more
    if (watcher.watched() != QStringList{big})
        return 1;
    QStringList limited = watcher.limited();
    limited.sort();
    if (limited != (QStringList{big, other}))
        return 2;
    {
        const std::lock_guard lock(mutex);
        if (reported != (QStringList{big, other}))
            return 3;
    }
    // The rest keeps working.
    if (!writeFile(big + QStringLiteral("/file.txt"), "f") || !deliveries.waitFor(big, big + QStringLiteral("/file.txt")))
        return 4;
    watcher.stop(big);
    if (watcher.limited() != QStringList{other})
        return 5;
    // The watches are given back: the other folder fits now.
    watcher.watch(other, false);
    if (watcher.watched() != QStringList{other} || !watcher.limited().isEmpty())
        return 6;
    return 0;
}
} // namespace

TEST_F(FolderWatcherTest, ReportsTheWatchLimit)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(30);
        _exit(watchLimitChild(m_root.path()));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no user namespace to lower the watch limit in";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failed check " << WEXITSTATUS(status);
}

TEST(FolderWatcherRecent, NewestAddedFirstWithoutHiddenItemsOrFolders)
{
    QTemporaryDir root;
    const QString folder = root.path() + QStringLiteral("/Downloads");
    const QString elsewhere = root.path() + QStringLiteral("/Elsewhere");
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/subfolder")));
    ASSERT_TRUE(writeFile(elsewhere + QStringLiteral("/made first.pdf"), "1"));

    // Each file is added visibly later than the one before it.
    std::optional<QDateTime> last;
    const auto write = [&](const QString &name) {
        const QString path = folder + QLatin1Char('/') + name;
        for (;;) {
            ASSERT_TRUE(writeFile(path, "x"));
            const auto added = FileTimes::read(path).added;
            if (!last || added > last) {
                last = added;
                return;
            }
            QFile::remove(path);
            std::this_thread::sleep_for(5ms);
        }
    };
    write(QStringLiteral("ten.pdf"));
    write(QStringLiteral("eleven.pdf"));
    write(QStringLiteral(".hidden"));
    write(QStringLiteral("twelve.pdf"));
    // Moved in last: added last, though made before the others.
    for (;;) {
        ASSERT_TRUE(QFile::rename(elsewhere + QStringLiteral("/made first.pdf"), folder + QStringLiteral("/moved.pdf")));
        if (FileTimes::read(folder + QStringLiteral("/moved.pdf")).added > last)
            break;
        ASSERT_TRUE(QFile::rename(folder + QStringLiteral("/moved.pdf"), elsewhere + QStringLiteral("/made first.pdf")));
        std::this_thread::sleep_for(5ms);
    }

    EXPECT_EQ(FolderWatcher::recentFiles(folder, 10),
              (QStringList{folder + QStringLiteral("/moved.pdf"), folder + QStringLiteral("/twelve.pdf"),
                           folder + QStringLiteral("/eleven.pdf"), folder + QStringLiteral("/ten.pdf")}));
    EXPECT_EQ(FolderWatcher::recentFiles(folder, 2),
              (QStringList{folder + QStringLiteral("/moved.pdf"), folder + QStringLiteral("/twelve.pdf")}));
    EXPECT_TRUE(FolderWatcher::recentFiles(folder, 0).isEmpty());
    EXPECT_TRUE(FolderWatcher::recentFiles(root.path() + QStringLiteral("/missing"), 5).isEmpty());
}
