#include "FileTimes.h"
#include "FolderWatcher.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
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

    bool waitFor(const QString &folder, const QString &file)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, patience, [&] { return m_items.contains({folder, file}); });
    }

    int count(const QString &folder, const QString &file) const
    {
        const std::lock_guard lock(m_mutex);
        return int(m_items.count({folder, file}));
    }

    QSet<QString> files(const QString &folder) const
    {
        const std::lock_guard lock(m_mutex);
        QSet<QString> files;
        for (const auto &item : m_items) {
            if (item.first == folder)
                files.insert(item.second);
        }
        return files;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    QList<QPair<QString, QString>> m_items;
};

class FolderWatcherTest : public ::testing::Test
{
protected:
    QString make(const QString &relative)
    {
        QDir().mkpath(path(relative));
        return path(relative);
    }
    QString path(const QString &relative) const { return m_root.path() + u'/' + relative; }

    QTemporaryDir m_root;
    Deliveries m_deliveries;
};
} // namespace

TEST_F(FolderWatcherTest, ReportsEachItemOnceUnderTheNameItEndsWith)
{
    const QString inbox = make(u"Inbox"_s);
    const QString elsewhere = make(u"Elsewhere"_s);
    ASSERT_TRUE(writeFile(elsewhere + u"/moved.pdf"_s, "moved"));
    ASSERT_TRUE(writeFile(elsewhere + u"/source.pdf"_s, "copied"));
    ASSERT_TRUE(writeFile(inbox + u"/before.txt"_s, "old"));

    FolderWatcher watcher(m_deliveries.handler(), {}, 300ms);
    watcher.watch(inbox, false);
    EXPECT_EQ(watcher.watched(), QStringList{inbox});

    ASSERT_TRUE(QFile::copy(elsewhere + u"/source.pdf"_s, inbox + u"/copied.pdf"_s));
    ASSERT_TRUE(QFile::rename(elsewhere + u"/moved.pdf"_s, inbox + u"/moved.pdf"_s));
    // A file still being written is reported when it is closed.
    QFile unfinished(inbox + u"/unfinished.bin"_s);
    ASSERT_TRUE(unfinished.open(QIODevice::WriteOnly));
    unfinished.write("first half");
    unfinished.flush();
    // A browser writes "x.pdf.part" and renames it when the download is done.
    {
        QFile part(inbox + u"/x.pdf.part"_s);
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        for (int chunk = 0; chunk < 8; ++chunk)
            part.write(QByteArray(4096, 'p'));
    }
    ASSERT_TRUE(QFile::rename(inbox + u"/x.pdf.part"_s, inbox + u"/x.pdf"_s));
    // Made and removed again before the batch ends.
    ASSERT_TRUE(writeFile(inbox + u"/temporary.txt"_s, "t"));
    ASSERT_TRUE(QFile::remove(inbox + u"/temporary.txt"_s));
    for (int time = 0; time < 3; ++time)
        ASSERT_TRUE(writeFile(inbox + u"/thrice.txt"_s, QByteArray::number(time)));
    // Renamed: only the new name exists.
    ASSERT_TRUE(QFile::rename(inbox + u"/before.txt"_s, inbox + u"/after.txt"_s));
    ASSERT_TRUE(writeFile(inbox + u"/marker"_s, "m"));

    ASSERT_TRUE(m_deliveries.waitFor(inbox, inbox + u"/marker"_s));
    QSet<QString> expected;
    for (const QString &name : {u"copied.pdf"_s, u"moved.pdf"_s, u"x.pdf"_s, u"thrice.txt"_s, u"after.txt"_s, u"marker"_s})
        expected.insert(inbox + u'/' + name);
    EXPECT_EQ(m_deliveries.files(inbox), expected);
    for (const QString &once : {u"copied.pdf"_s, u"x.pdf"_s, u"thrice.txt"_s})
        EXPECT_EQ(m_deliveries.count(inbox, inbox + u'/' + once), 1) << once.toStdString();

    unfinished.write("second half");
    unfinished.close();
    EXPECT_TRUE(m_deliveries.waitFor(inbox, inbox + u"/unfinished.bin"_s));
}

TEST_F(FolderWatcherTest, SubfoldersCountOnlyWhereIncluded)
{
    const QString flat = make(u"Docs"_s);
    const QString deep = make(u"Deep"_s);
    const QString sibling = make(u"Docs2"_s);
    const QString outside = make(u"Outside"_s);
    const QString nested = make(u"Deep/old"_s); // watched on its own as well
    make(u"Docs/old"_s);
    make(u"Deep/old/older"_s);
    for (const QString &name : {u"Arrival1"_s, u"Arrival2"_s}) {
        ASSERT_TRUE(writeFile(path(name + u"/inside.txt"_s), "i"));
        ASSERT_TRUE(writeFile(path(name + u"/nested/deeper.txt"_s), "d"));
    }

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(flat, false);
    watcher.watch(deep, true);
    watcher.watch(nested, false);

    for (const QString &folder : {flat, deep}) {
        ASSERT_TRUE(writeFile(folder + u"/old/file.txt"_s, "f"));
        ASSERT_TRUE(QDir().mkdir(folder + u"/new"_s));
        ASSERT_TRUE(writeFile(folder + u"/new/file.txt"_s, "n"));
    }
    ASSERT_TRUE(writeFile(deep + u"/old/older/file.txt"_s, "o"));
    ASSERT_TRUE(writeFile(sibling + u"/file.txt"_s, "s"));
    // Folders moved in whole: what they hold raises no events of its own.
    ASSERT_TRUE(QDir().rename(path(u"Arrival1"_s), flat + u"/Arrival"_s));
    ASSERT_TRUE(QDir().rename(path(u"Arrival2"_s), deep + u"/Arrival"_s));
    ASSERT_TRUE(writeFile(deep + u"/Arrival/later.txt"_s, "l"));
    for (const QString &folder : {flat, deep})
        ASSERT_TRUE(writeFile(folder + u"/marker"_s, "m"));
    ASSERT_TRUE(m_deliveries.waitFor(deep, deep + u"/Arrival/later.txt"_s));
    for (const QString &folder : {flat, deep})
        ASSERT_TRUE(m_deliveries.waitFor(folder, folder + u"/marker"_s));
    ASSERT_TRUE(m_deliveries.waitFor(nested, nested + u"/file.txt"_s));

    // A subfolder renamed within the folder is reported under its new name,
    // without its old contents, and goes on being watched there; one moved out is not.
    ASSERT_TRUE(QDir().rename(deep + u"/new"_s, deep + u"/renamed"_s));
    ASSERT_TRUE(QDir().rename(deep + u"/Arrival"_s, outside + u"/left"_s));
    ASSERT_TRUE(writeFile(deep + u"/marker2"_s, "m"));
    ASSERT_TRUE(m_deliveries.waitFor(deep, deep + u"/marker2"_s));
    ASSERT_TRUE(writeFile(deep + u"/renamed/again.txt"_s, "a"));
    ASSERT_TRUE(writeFile(outside + u"/left/gone.txt"_s, "g"));
    ASSERT_TRUE(writeFile(outside + u"/left/nested/gone.txt"_s, "g"));
    ASSERT_TRUE(writeFile(deep + u"/marker3"_s, "m"));
    ASSERT_TRUE(m_deliveries.waitFor(deep, deep + u"/marker3"_s));

    // New folders come like files; nothing below the folder itself.
    EXPECT_EQ(m_deliveries.files(flat), (QSet<QString>{flat + u"/new"_s, flat + u"/Arrival"_s, flat + u"/marker"_s}));
    QSet<QString> deepExpected;
    for (const QString &name : {u"old/file.txt"_s, u"old/older/file.txt"_s, u"new"_s, u"new/file.txt"_s, u"Arrival"_s,
                                u"Arrival/inside.txt"_s, u"Arrival/nested"_s, u"Arrival/nested/deeper.txt"_s,
                                u"Arrival/later.txt"_s, u"marker"_s, u"renamed"_s, u"marker2"_s, u"renamed/again.txt"_s,
                                u"marker3"_s})
        deepExpected.insert(deep + u'/' + name);
    EXPECT_EQ(m_deliveries.files(deep), deepExpected);
    // A folder watched inside another gets the item too, each by its own flag.
    EXPECT_EQ(m_deliveries.files(nested), QSet<QString>{nested + u"/file.txt"_s});
    EXPECT_TRUE(m_deliveries.files(sibling).isEmpty());
}

TEST_F(FolderWatcherTest, WatchingTwiceStopAndStopAll)
{
    const QString folder = make(u"Folder"_s);
    const QString other = make(u"Other"_s);
    make(u"Folder/sub"_s);

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(folder, false);
    watcher.watch(folder, true); // the first watch stays
    watcher.watch(other, true);
    watcher.watch(path(u"missing"_s), false);
    watcher.stop(path(u"never watched"_s));
    QStringList watched = watcher.watched();
    watched.sort();
    EXPECT_EQ(watched, (QStringList{folder, other}));

    ASSERT_TRUE(writeFile(folder + u"/sub/first.txt"_s, "f"));
    ASSERT_TRUE(writeFile(folder + u"/marker"_s, "m"));
    ASSERT_TRUE(m_deliveries.waitFor(folder, folder + u"/marker"_s));
    EXPECT_EQ(m_deliveries.files(folder), QSet<QString>{folder + u"/marker"_s});
    EXPECT_EQ(m_deliveries.count(folder, folder + u"/marker"_s), 1);

    // Stopped, nothing more comes; watched again, the new flag counts.
    watcher.stop(folder);
    EXPECT_EQ(watcher.watched(), QStringList{other});
    ASSERT_TRUE(writeFile(folder + u"/ignored.txt"_s, "i"));
    ASSERT_TRUE(writeFile(other + u"/seen.txt"_s, "s"));
    ASSERT_TRUE(m_deliveries.waitFor(other, other + u"/seen.txt"_s));
    EXPECT_FALSE(m_deliveries.files(folder).contains(folder + u"/ignored.txt"_s));
    watcher.watch(folder, true);
    ASSERT_TRUE(writeFile(folder + u"/sub/second.txt"_s, "s"));
    EXPECT_TRUE(m_deliveries.waitFor(folder, folder + u"/sub/second.txt"_s));

    watcher.stopAll();
    EXPECT_TRUE(watcher.watched().isEmpty());
    EXPECT_TRUE(watcher.limited().isEmpty());
}

TEST_F(FolderWatcherTest, HandlerMayStopFoldersAndBatchesNeverOverlap)
{
    const QString folder = make(u"Folder"_s);
    std::atomic<int> running = 0;
    std::atomic<bool> overlapped = false;
    FolderWatcher *self = nullptr;
    FolderWatcher watcher(
        [&](const QString &watchedFolder, const QStringList &files) {
            if (++running > 1)
                overlapped = true;
            std::this_thread::sleep_for(20ms);
            if (files.contains(watchedFolder + u"/stop"_s))
                self->stop(watchedFolder); // runs at once instead of waiting for itself
            --running;
            m_deliveries.handler()(watchedFolder, files);
        },
        {}, 10ms);
    self = &watcher;
    watcher.watch(folder, false);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(writeFile(folder + u"/file%1"_s.arg(i), "f"));
    ASSERT_TRUE(writeFile(folder + u"/stop"_s, "s"));
    ASSERT_TRUE(m_deliveries.waitFor(folder, folder + u"/stop"_s));
    EXPECT_TRUE(watcher.watched().isEmpty());
    EXPECT_FALSE(overlapped);
}

TEST_F(FolderWatcherTest, RescansAfterTheKernelQueueOverflows)
{
    int queueLimit = 16384;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queueLimit;
    if (queueLimit > 1000000)
        GTEST_SKIP() << "the kernel queue holds too many events to overflow it quickly";

    const QString folder = make(u"Burst"_s);
    std::promise<void> gate;
    const std::shared_future<void> opened = gate.get_future().share();
    FolderWatcher watcher(
        [&](const QString &watchedFolder, const QStringList &files) {
            m_deliveries.handler()(watchedFolder, files);
            opened.wait_for(patience); // holds the queue: events pile up
        },
        {}, 20ms);
    watcher.watch(folder, true);
    ASSERT_TRUE(writeFile(folder + u"/gate"_s, "g"));
    ASSERT_TRUE(m_deliveries.waitFor(folder, folder + u"/gate"_s));

    // Each opening for writing brings an open and a close: the queue runs over,
    // and every event after that is lost.
    const QByteArray filler = QFile::encodeName(folder + u"/filler"_s);
    for (int i = 0; i <= queueLimit / 2; ++i) {
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    QSet<QString> lost{folder + u"/late"_s, folder + u"/late/inside.txt"_s};
    for (int i = 0; i < 50; ++i) {
        lost.insert(folder + u"/file%1"_s.arg(i));
        ASSERT_TRUE(writeFile(folder + u"/file%1"_s.arg(i), "f"));
    }
    ASSERT_TRUE(writeFile(folder + u"/late/inside.txt"_s, "l"));
    gate.set_value();

    ASSERT_TRUE(m_deliveries.waitFor(folder, folder + u"/late/inside.txt"_s));
    EXPECT_TRUE(m_deliveries.files(folder).contains(lost));
    // The subfolder that came while events were lost is watched from then on.
    ASSERT_TRUE(writeFile(folder + u"/late/after.txt"_s, "a"));
    EXPECT_TRUE(m_deliveries.waitFor(folder, folder + u"/late/after.txt"_s));
}

namespace {
// Runs in a child process of its own user namespace, where the watch limit can
// be lowered to three. Returns 0 when all is well, 77 when it cannot be set up,
// otherwise the number of the failed check.
int watchLimitChild(const QString &root)
{
    const std::string uid = std::to_string(getuid());
    const std::string gid = std::to_string(getgid());
    const auto put = [](const char *file, const std::string &text) {
        std::ofstream out(file);
        return bool(out << text << std::flush);
    };
    if (unshare(CLONE_NEWUSER) != 0 || !put("/proc/self/setgroups", "deny") || !put("/proc/self/uid_map", "0 " + uid + " 1")
        || !put("/proc/self/gid_map", "0 " + gid + " 1") || !put("/proc/sys/user/max_inotify_watches", "3")) {
        perror("user namespace");
        return 77;
    }

    const QString big = root + u"/Big"_s;
    const QString other = root + u"/Other"_s;
    for (const char *sub : {"a", "b", "c", "d"})
        QDir().mkpath(big + u'/' + QLatin1String(sub));
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
    QStringList limited = watcher.limited();
    limited.sort();
    const QStringList both{big, other};
    if (watcher.watched() != QStringList{big} || limited != both)
        return 1;
    if (const std::lock_guard lock(mutex); reported != both)
        return 2;
    // The rest keeps working.
    if (!writeFile(big + u"/file.txt"_s, "f") || !deliveries.waitFor(big, big + u"/file.txt"_s))
        return 3;
    // The watches are given back: the other folder fits now.
    watcher.stop(big);
    if (watcher.limited() != QStringList{other})
        return 4;
    watcher.watch(other, false);
    return watcher.watched() == QStringList{other} && watcher.limited().isEmpty() ? 0 : 5;
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
    const QString folder = root.path() + u"/Downloads"_s;
    const QString elsewhere = root.path() + u"/Elsewhere"_s;
    ASSERT_TRUE(QDir().mkpath(folder + u"/subfolder"_s));
    ASSERT_TRUE(writeFile(elsewhere + u"/made first.pdf"_s, "1"));

    // Each file arrives visibly later than the one before it; the last is moved
    // in, so it is added last though made before the others.
    std::optional<QDateTime> last;
    const auto arrive = [&](const QString &name, const QString &from = {}) {
        const QString path = folder + u'/' + name;
        for (;;) {
            ASSERT_TRUE(from.isEmpty() ? writeFile(path, "x") : QFile::rename(from, path));
            const auto added = FileTimes::read(path).added;
            if (!last || added > last) {
                last = added;
                return;
            }
            ASSERT_TRUE(from.isEmpty() ? QFile::remove(path) : QFile::rename(path, from));
            std::this_thread::sleep_for(5ms);
        }
    };
    for (const QString &name : {u"ten.pdf"_s, u"eleven.pdf"_s, u".hidden"_s, u"twelve.pdf"_s})
        arrive(name);
    arrive(u"moved.pdf"_s, elsewhere + u"/made first.pdf"_s);

    const QStringList newest{folder + u"/moved.pdf"_s, folder + u"/twelve.pdf"_s, folder + u"/eleven.pdf"_s,
                             folder + u"/ten.pdf"_s};
    EXPECT_EQ(FolderWatcher::recentFiles(folder, 10), newest);
    EXPECT_EQ(FolderWatcher::recentFiles(folder, 2), newest.first(2));
    EXPECT_TRUE(FolderWatcher::recentFiles(folder, 0).isEmpty());
    EXPECT_TRUE(FolderWatcher::recentFiles(root.path() + u"/missing"_s, 5).isEmpty());
}

// Names whose bytes are not valid UTF-8 (which Qt's listings leave out) come
// by their decoded text: arriving, inside a folder moved in whole, and among
// a folder's newest files.
TEST_F(FolderWatcherTest, NamesThatAreNotValidUtf8ComeByTheirDecodedText)
{
    const QString flat = make(u"Flat"_s);
    const QString deep = make(u"Deep"_s);
    const QString arrival = make(u"Arrival"_s);
    QByteArrayList written;
    const auto removeAll = [](QByteArrayList *paths) {
        for (const QByteArray &path : *paths)
            ::unlink(path.constData());
    };
    // QTemporaryDir cannot see these to remove them.
    const std::unique_ptr<QByteArrayList, decltype(removeAll)> removal(&written, removeAll);
    const auto writeRaw = [&written](const QString &folder, const QByteArray &name) {
        const QByteArray path = QFile::encodeName(folder) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0);
        written.append(path);
        EXPECT_EQ(::write(fd, "x", 1), 1);
        ::close(fd);
        return path;
    };
    const qsizetype inside = written.size();
    writeRaw(arrival, "inside_\xff.pdf");

    FolderWatcher watcher(m_deliveries.handler(), {}, 100ms);
    watcher.watch(flat, false);
    watcher.watch(deep, true);
    writeRaw(flat, "Rechnung_\xff\xfe.pdf");
    ASSERT_TRUE(QDir().rename(arrival, deep + u"/Arrival"_s));
    written[inside] = QFile::encodeName(deep) + "/Arrival/inside_\xff.pdf";
    ASSERT_TRUE(m_deliveries.waitFor(flat, flat + u"/Rechnung_\uFFFD\uFFFD.pdf"_s));
    ASSERT_TRUE(m_deliveries.waitFor(deep, deep + u"/Arrival/inside_\uFFFD.pdf"_s));

    writeRaw(flat, ".hidden_\xff");
    EXPECT_EQ(FolderWatcher::recentFiles(flat, 10), QStringList{flat + u"/Rechnung_\uFFFD\uFFFD.pdf"_s});
}
