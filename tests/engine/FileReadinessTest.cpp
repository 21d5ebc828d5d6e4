#include "FileReadiness.h"
#include "TestSupport.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using FileReadiness::State;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {
// Runs the event loop until the wait has answered (at most five seconds).
std::optional<State> answer(QFuture<State> future)
{
    QFutureWatcher<State> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5s, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
    if (!future.isFinished() || future.isCanceled() || future.resultCount() == 0)
        return std::nullopt;
    return future.result();
}

// A regular file with some content, so that only its name can make it ignored.
QString fileIn(const QTemporaryDir &dir, const char *name)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    EXPECT_TRUE(TestSupport::writeFile(path, "%PDF-1.4"));
    return path;
}
} // namespace

TEST(FileReadiness, NamesAloneDecideForHiddenLockAndPartialFiles)
{
    QTemporaryDir dir;
    for (const char *name : {".hidden.pdf", "~$Vertrag.docx", "setup.crdownload", "Film.PART", "x.Download", "y.tmp",
                             "z.partial", "w.opdownload"}) {
        const QString path = fileIn(dir, name);
        EXPECT_EQ(FileReadiness::precheck(path), State::ignore) << name;
        EXPECT_EQ(answer(FileReadiness::waitUntilStable(path, 10s)), State::ignore) << name;
    }
    // The same names need no file to be ignored.
    EXPECT_EQ(FileReadiness::precheck(u"/nonexistent/.x"_s), State::ignore);
    EXPECT_EQ(FileReadiness::partialExtensions().size(), 6);
    for (const char *name : {"Rechnung.pdf", "~Notiz.txt", "a$b", "part", "report.parts"})
        EXPECT_EQ(FileReadiness::precheck(fileIn(dir, name)), State::ready) << name;
}

TEST(FileReadiness, OnlyRegularFilesAreReady)
{
    QTemporaryDir dir;
    const QString target = fileIn(dir, "target.pdf");
    const QString link = dir.filePath(u"link.pdf"_s);
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"Belege"_s)) && QDir().mkpath(dir.filePath(u"Tool.app"_s)));
    for (const QString &path : {dir.filePath(u"Belege"_s), dir.filePath(u"Tool.app"_s), link, dir.filePath(u"missing.pdf"_s),
                                QString()})
        EXPECT_EQ(FileReadiness::precheck(path), State::ignore) << path.toStdString();
    EXPECT_EQ(FileReadiness::precheck(target), State::ready);
}

TEST(FileReadiness, WaitsWithoutBlockingAndNoticesChanges)
{
    QTemporaryDir dir;
    const QString still = fileIn(dir, "still.pdf");
    const QString growing = fileIn(dir, "growing.pdf");
    const QString touched = fileIn(dir, "touched.pdf");
    const QString vanishing = fileIn(dir, "vanishing.pdf");
    const QDateTime touchedAt = QFileInfo(touched).lastModified().addSecs(-5);
    // A name reserved by an empty file: its download has not arrived yet.
    const QString empty = dir.filePath(u"empty.pdf"_s);
    ASSERT_TRUE(QFile(empty).open(QIODevice::WriteOnly));

    // All four waits run at once on this thread; the changes happen while they wait.
    QFuture<State> stillWait = FileReadiness::waitUntilStable(still, 150ms);
    QFuture<State> growingWait = FileReadiness::waitUntilStable(growing, 150ms);
    QFuture<State> touchedWait = FileReadiness::waitUntilStable(touched, 150ms);
    QFuture<State> vanishingWait = FileReadiness::waitUntilStable(vanishing, 150ms);
    QFuture<State> emptyWait = FileReadiness::waitUntilStable(empty, 150ms);
    EXPECT_FALSE(stillWait.isFinished() || emptyWait.isFinished());
    bool changed = false;
    QTimer::singleShot(20ms, [&] {
        QFile grown(growing);
        QFile file(touched);
        changed = grown.open(QIODevice::Append) && grown.write("more") == 4 && QFile::remove(vanishing)
            && file.open(QIODevice::ReadWrite) && file.setFileTime(touchedAt, QFileDevice::FileModificationTime);
    });
    EXPECT_EQ(answer(stillWait), State::ready);
    EXPECT_TRUE(changed);
    EXPECT_EQ(answer(growingWait), State::notYet);
    EXPECT_EQ(answer(touchedWait), State::notYet);
    EXPECT_EQ(answer(vanishingWait), State::ignore);
    EXPECT_EQ(answer(emptyWait), State::notYet);

    // A folder or a missing file answers at once, without waiting.
    for (const QString &path : {dir.path(), dir.filePath(u"none.pdf"_s)}) {
        QFuture<State> wait = FileReadiness::waitUntilStable(path, 1h);
        EXPECT_TRUE(wait.isFinished());
        EXPECT_EQ(wait.result(), State::ignore);
    }

    // Cancelling ends a long wait early.
    QFuture<State> cancelled = FileReadiness::waitUntilStable(still, 1h);
    ASSERT_FALSE(cancelled.isFinished());
    QTimer::singleShot(10ms, [cancelled]() mutable { cancelled.cancel(); });
    EXPECT_FALSE(answer(cancelled).has_value());
    EXPECT_TRUE(cancelled.isFinished());
    EXPECT_TRUE(cancelled.isCanceled());
}

TEST(FileReadiness, IdentifierSurvivesRenameAndMove)
{
    QTemporaryDir dir;
    const QString path = fileIn(dir, "a.pdf");
    const std::optional<quint64> id = FileReadiness::identifier(path);
    ASSERT_TRUE(id);
    EXPECT_NE(FileReadiness::identifier(fileIn(dir, "b.pdf")), id);

    const QString renamed = dir.filePath(u"Sub/Rechnung 2025.pdf"_s);
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"Sub"_s)));
    ASSERT_TRUE(QFile::rename(path, renamed));
    EXPECT_EQ(FileReadiness::identifier(renamed), id);
    EXPECT_FALSE(FileReadiness::identifier(path));
}

TEST(FileReadiness, ManyWaitsAtOnceEachAnswerAfterTheirOwnTime)
{
    QTemporaryDir dir;
    // Waits of two lengths, started together and ending in turn, and one
    // file among them that changes meanwhile.
    constexpr int count = 400;
    QList<QFuture<State>> waits;
    std::vector<qint64> answeredAfter(count, -1);
    std::vector<qint64> waited(count, 0);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        const QString path = fileIn(dir, QStringLiteral("f%1.pdf").arg(i).toUtf8().constData());
        waited[std::size_t(i)] = i % 2 == 0 ? 40 : 120;
        waits.append(FileReadiness::waitUntilStable(path, std::chrono::milliseconds(waited[std::size_t(i)]))
                         .then([&answeredAfter, &clock, i](State state) {
                             answeredAfter[std::size_t(i)] = clock.elapsed();
                             return state;
                         }));
    }
    QFile changing(dir.filePath(u"f7.pdf"_s));
    ASSERT_TRUE(changing.open(QIODevice::Append) && changing.write("more") == 4);
    changing.close();
    // A wait started from inside another's answer is answered too.
    QFuture<State> first = waits.first();
    QFuture<State> nested =
        first.then([&dir](State) { return FileReadiness::waitUntilStable(dir.filePath(u"f0.pdf"_s), 10ms); }).unwrap();

    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(answer(waits.at(i)), i == 7 ? State::notYet : State::ready) << i;
        // Never before its time.
        EXPECT_GE(answeredAfter[std::size_t(i)], waited[std::size_t(i)]) << i;
    }
    EXPECT_EQ(answer(nested), State::ready);
    // A wait started when the last one has just answered, before the event
    // loop has come round to what was deleted later, is answered as well.
    QFuture<State> last = FileReadiness::waitUntilStable(dir.filePath(u"f1.pdf"_s), 10ms);
    // Turned by hand, one turn at a time: waiting with QTest would delete
    // what was deleted later.
    QElapsedTimer patience;
    patience.start();
    while (!last.isFinished() && patience.elapsed() < 5000)
        QAbstractEventDispatcher::instance()->processEvents(QEventLoop::WaitForMoreEvents);
    ASSERT_TRUE(last.isFinished());
    QFuture<State> after = FileReadiness::waitUntilStable(dir.filePath(u"f2.pdf"_s), 10ms);
    // (Outside a running event loop, objects deleted later go only when asked.)
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(answer(after), State::ready);
}
