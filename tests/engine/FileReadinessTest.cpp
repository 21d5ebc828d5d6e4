#include "FileReadiness.h"
#include "TestSupport.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using FileReadiness::State;
using namespace std::chrono_literals;

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

bool append(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}
} // namespace

TEST(FileReadiness, NamesAloneDecideForHiddenLockAndPartialFiles)
{
    QTemporaryDir dir;
    // Each of these is a real regular file, so only the name can make it ignored.
    for (const char *name : {".hidden.pdf", "~$Vertrag.docx", "setup.crdownload", "Film.PART", "x.Download",
                             "y.tmp", "z.partial", "w.opdownload"}) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(TestSupport::writeFile(path, "data"));
        EXPECT_EQ(FileReadiness::precheck(path), State::ignore) << name;
        EXPECT_EQ(answer(FileReadiness::waitUntilStable(path, 10s)), State::ignore) << name;
    }
    // The same names need no file to be ignored.
    EXPECT_EQ(FileReadiness::precheck(QStringLiteral("/nonexistent/.x")), State::ignore);
    EXPECT_EQ(FileReadiness::partialExtensions().size(), 6);

    for (const char *name : {"Rechnung.pdf", "~Notiz.txt", "a$b", "part", "report.parts"}) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(TestSupport::writeFile(path, "data"));
        EXPECT_EQ(FileReadiness::precheck(path), State::ready) << name;
    }
}

TEST(FileReadiness, OnlyRegularFilesAreReady)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Belege"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(FileReadiness::precheck(folder), State::ignore);
    const QString app = dir.filePath(QStringLiteral("Tool.app"));
    ASSERT_TRUE(QDir().mkpath(app));
    EXPECT_EQ(FileReadiness::precheck(app), State::ignore);
    const QString target = dir.filePath(QStringLiteral("target.pdf"));
    ASSERT_TRUE(TestSupport::writeFile(target, "%PDF"));
    const QString link = dir.filePath(QStringLiteral("link.pdf"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_EQ(FileReadiness::precheck(link), State::ignore);
    EXPECT_EQ(FileReadiness::precheck(dir.filePath(QStringLiteral("missing.pdf"))), State::ignore);
    EXPECT_EQ(FileReadiness::precheck(QString()), State::ignore);
    EXPECT_EQ(FileReadiness::precheck(target), State::ready);
}

TEST(FileReadiness, StampsSizeAndModification)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    ASSERT_TRUE(TestSupport::writeFile(path, "12345"));
    const std::optional<FileReadiness::Stamp> first = FileReadiness::stamp(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size, 5);
    EXPECT_EQ(first->modified, QFileInfo(path).lastModified().toUTC());
    EXPECT_EQ(FileReadiness::stamp(path), first);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(first->modified.addSecs(-10), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_NE(FileReadiness::stamp(path), first);
    EXPECT_FALSE(FileReadiness::stamp(dir.filePath(QStringLiteral("gone"))));
}

TEST(FileReadiness, WaitsWithoutBlockingAndNoticesChanges)
{
    QTemporaryDir dir;
    const QString still = dir.filePath(QStringLiteral("still.pdf"));
    const QString growing = dir.filePath(QStringLiteral("growing.pdf"));
    const QString touched = dir.filePath(QStringLiteral("touched.pdf"));
    const QString vanishing = dir.filePath(QStringLiteral("vanishing.pdf"));
    for (const QString &path : {still, growing, touched, vanishing})
        ASSERT_TRUE(TestSupport::writeFile(path, "%PDF-1.4"));
    const QDateTime touchedAt = QFileInfo(touched).lastModified().addSecs(-5);

    // All four waits run at once on this thread; the changes happen while they wait.
    QFuture<State> stillWait = FileReadiness::waitUntilStable(still, 150ms);
    QFuture<State> growingWait = FileReadiness::waitUntilStable(growing, 150ms);
    QFuture<State> touchedWait = FileReadiness::waitUntilStable(touched, 150ms);
    QFuture<State> vanishingWait = FileReadiness::waitUntilStable(vanishing, 150ms);
    EXPECT_FALSE(stillWait.isFinished());
    bool changed = false;
    QTimer::singleShot(20ms, [&] {
        QFile file(touched);
        changed = append(growing, "more") && QFile::remove(vanishing) && file.open(QIODevice::ReadWrite)
            && file.setFileTime(touchedAt, QFileDevice::FileModificationTime);
    });
    EXPECT_EQ(answer(stillWait), State::ready);
    EXPECT_TRUE(changed);
    EXPECT_EQ(answer(growingWait), State::notYet);
    EXPECT_EQ(answer(touchedWait), State::notYet);
    EXPECT_EQ(answer(vanishingWait), State::ignore);

    // A folder or a missing file answers at once, without waiting.
    QFuture<State> folderWait = FileReadiness::waitUntilStable(dir.path(), 1h);
    EXPECT_TRUE(folderWait.isFinished());
    EXPECT_EQ(folderWait.result(), State::ignore);
    EXPECT_EQ(FileReadiness::waitUntilStable(dir.filePath(QStringLiteral("none.pdf")), 1h).result(), State::ignore);
}

TEST(FileReadiness, CancellingEndsTheWaitEarly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.pdf"));
    ASSERT_TRUE(TestSupport::writeFile(path, "%PDF"));
    QFuture<State> wait = FileReadiness::waitUntilStable(path, 1h);
    ASSERT_FALSE(wait.isFinished());
    QTimer::singleShot(10ms, [wait]() mutable { wait.cancel(); });
    EXPECT_FALSE(answer(wait).has_value());
    EXPECT_TRUE(wait.isFinished());
    EXPECT_TRUE(wait.isCanceled());
}

TEST(FileReadiness, IdentifierSurvivesRenameAndMove)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.pdf"));
    const QString other = dir.filePath(QStringLiteral("b.pdf"));
    ASSERT_TRUE(TestSupport::writeFile(path, "%PDF"));
    ASSERT_TRUE(TestSupport::writeFile(other, "%PDF"));
    const std::optional<quint64> id = FileReadiness::identifier(path);
    ASSERT_TRUE(id);
    EXPECT_NE(FileReadiness::identifier(other), id);

    const QString renamed = dir.filePath(QStringLiteral("Sub/Rechnung 2025.pdf"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("Sub"))));
    ASSERT_TRUE(QFile::rename(path, renamed));
    EXPECT_EQ(FileReadiness::identifier(renamed), id);
    EXPECT_FALSE(FileReadiness::identifier(path));
}
