// Crash and hang reports: their lines, the file that keeps the newest of
// them, crashed children whose records the next start reports, a main
// thread that hangs, and a stopped process that does not.
#include "CrashHandler.h"
#include "HangWatchdog.h"
#include "ScopedEnv.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>


namespace {

using MetricsStore::Crash;
using MetricsStore::Hang;
using MetricsStore::Payload;

QStringList numbered(const QString &prefix, int from, int to)
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines.append(prefix + QString::number(i));
    return lines;
}

// A data folder of its own for each test.
struct DataFolder
{
    QTemporaryDir dir;
    ScopedEnv data{"XDG_DATA_HOME", dir.path().toUtf8()};
};

} // namespace

TEST(CrashReportsTest, LinesTellCrashesAndHangsByTheirUtcDay)
{
    // 22:30 in New York is the next day in UTC.
    const QDateTime evening(QDate(2026, 3, 1), QTime(22, 30), QTimeZone("America/New_York"));
    const Payload payload{evening,
                          {Crash{QStringLiteral("42"), 11, 1}, Crash{QStringLiteral("42"), {}, {}},
                           Crash{QStringLiteral("42"), {}, 5}},
                          {Hang{QStringLiteral("42"), std::chrono::milliseconds(3260)}}};
    EXPECT_EQ(MetricsStore::lines({payload, Payload{evening, {}, {}}}),
              (QStringList{QStringLiteral("2026-03-02 crash 42 signal 11 exception 1"),
                           QStringLiteral("2026-03-02 crash 42 ? "), QStringLiteral("2026-03-02 crash 42 ? exception 5"),
                           QStringLiteral("2026-03-02 hang 42 %1 s").arg(QLocale().toString(3.3, 'f', 1))}));
}

TEST(CrashReportsTest, TheFileKeepsTheNewestTwentyAndHandsOverTheNewestTen)
{
    DataFolder folder;
    const QString path = MetricsStore::filePath();
    EXPECT_TRUE(MetricsStore::recent().isEmpty());
    MetricsStore::append({});
    EXPECT_FALSE(QFileInfo::exists(path)); // nothing to add leaves no file

    // Blank lines are no reports and go at the next append.
    ASSERT_TRUE(TestSupport::writeFile(path, "one\n\ntwo\nthree\n"));
    EXPECT_EQ(MetricsStore::recent(), (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    MetricsStore::append(numbered(QStringLiteral("new "), 1, 12));
    EXPECT_EQ(TestSupport::readFile(path), "one\ntwo\nthree\n" + numbered(QStringLiteral("new "), 1, 12).join(u'\n').toUtf8());

    ASSERT_TRUE(TestSupport::writeFile(path, numbered(QStringLiteral("old "), 1, 15).join(u'\n').toUtf8()));
    MetricsStore::append(numbered(QStringLiteral("new "), 1, 10));
    const QStringList kept = numbered(QStringLiteral("old "), 6, 15) + numbered(QStringLiteral("new "), 1, 10);
    EXPECT_EQ(TestSupport::readFile(path), kept.join(u'\n').toUtf8());
    EXPECT_EQ(MetricsStore::recent(), kept.mid(10));

    // A file that is not UTF-8 reads as empty and is replaced.
    ASSERT_TRUE(TestSupport::writeFile(path, "2026-01-01 crash 1 \xff\xfe broken"));
    EXPECT_TRUE(MetricsStore::recent().isEmpty());
    MetricsStore::append({QStringLiteral("fresh")});
    EXPECT_EQ(TestSupport::readFile(path), "fresh");
}

TEST(CrashReportsTest, ACrashedRunIsReportedAtTheNextStartButNotWithATestStore)
{
    DataFolder folder;
    const auto crash = [&folder](const char *how, bool testStore) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.dir.path());
        if (testStore)
            environment.insert(QStringLiteral("APP_STORE"), folder.dir.filePath(QStringLiteral("test.store")));
        else
            environment.remove(QStringLiteral("APP_STORE"));
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(FILEWRIGHT_CRASH_CHILD), {QLatin1String(how)});
        EXPECT_TRUE(child.waitForFinished(30000));
        // Killed by its signal: the default action ran after the record.
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit) << how;
    };

    crash("--segv", true);
    EXPECT_FALSE(QFileInfo::exists(CrashHandler::pendingPath()));

    crash("--segv", false);
    crash("--abort", false);
    CrashHandler::collectPending(); // what the next start does
    EXPECT_FALSE(QFileInfo::exists(CrashHandler::pendingPath()));
    const QString today = QDateTime::currentDateTimeUtc().date().toString(Qt::ISODate);
    const QString build = CrashHandler::build();
    EXPECT_EQ(MetricsStore::recent(), (QStringList{today + QStringLiteral(" crash ") + build + QStringLiteral(" signal 11 "),
                                                   today + QStringLiteral(" crash ") + build + QStringLiteral(" signal 6 ")}));

    // Records that are not whole are skipped.
    EXPECT_EQ(CrashHandler::parseRecords("1700000000 11\nx 6 1\n1700000000 6 7\n").size(), 1);
    // The test store of this test process keeps reporting off.
    EXPECT_EQ(CrashHandler::startReporting(), nullptr);
}

TEST(CrashReportsTest, AMainThreadBlockedForThreeSecondsGivesOneHangLine)
{
    DataFolder folder;
    {
        HangWatchdog watchdog(QStringLiteral("7"));
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        // The report reaches the file once the main thread runs again; give
        // the watchdog time for a second report that must not come.
        QDeadlineTimer settle(std::chrono::seconds(3));
        while (!settle.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    const QStringList lines = MetricsStore::recent();
    ASSERT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d hang 7 (\\d+[.,]\\d) s$")).match(lines.constFirst());
    ASSERT_TRUE(match.hasMatch()) << lines.constFirst().toStdString();
    EXPECT_GE(QLocale().toDouble(match.captured(1)), 3.0);
}

TEST(CrashReportsTest, TimeTheWholeProcessStoodStillIsLeftOutOfHangs)
{
    using std::chrono::milliseconds;
    // Beats every 500 ms, a hang from 2000 ms on; checks every 500 ms.
    const auto checks = [](HangWatchdog::Tracker &tracker, qint64 from, qint64 to, qint64 lastBeat) {
        std::optional<milliseconds> hung;
        for (qint64 t = from; t <= to; t += 500) {
            if (const auto found = tracker.check(t, lastBeat))
                hung = found;
        }
        return hung;
    };
    {
        // The main thread blocked for 3 s: one hang of 3 s.
        HangWatchdog::Tracker tracker(milliseconds(500), milliseconds(2000), 0);
        EXPECT_FALSE(checks(tracker, 500, 3500, 500));
        EXPECT_EQ(tracker.check(4000, 3500), milliseconds(3000));
        EXPECT_FALSE(checks(tracker, 4500, 6000, 3500));
    }
    {
        // Stopped for 10 s (no check runs), and the watching thread looks
        // before the main thread has beaten again: no hang.
        HangWatchdog::Tracker tracker(milliseconds(500), milliseconds(2000), 0);
        EXPECT_FALSE(checks(tracker, 500, 1000, 1000));
        EXPECT_FALSE(tracker.check(11000, 1000));
        EXPECT_FALSE(tracker.check(11500, 1000));
        EXPECT_FALSE(tracker.check(12000, 11800));
        EXPECT_FALSE(checks(tracker, 12500, 14000, 11800));
        // ... yet a main thread that then stays blocked is a hang.
        EXPECT_EQ(tracker.check(14500, 14400), milliseconds(14400 - 11800));
    }
    {
        // Blocked for about 3 s with a 10 s stop in the middle: a hang of
        // 3 s, to within the beat that tells a stop from a late check.
        HangWatchdog::Tracker tracker(milliseconds(500), milliseconds(2000), 0);
        EXPECT_FALSE(checks(tracker, 500, 3000, 500));
        EXPECT_FALSE(tracker.check(13000, 500));
        EXPECT_EQ(tracker.check(13500, 13500), milliseconds(3500));
    }
    {
        // Blocked for 1 s, stopped for 10 s before a hang could be told,
        // then blocked for 2.5 s more: a hang of the 3.5 s of blocking, to
        // within the beat, not of the stop's length.
        HangWatchdog::Tracker tracker(milliseconds(500), milliseconds(2000), 0);
        EXPECT_FALSE(checks(tracker, 500, 1500, 500));
        EXPECT_FALSE(tracker.check(11500, 500));
        EXPECT_FALSE(checks(tracker, 12000, 14000, 500));
        EXPECT_EQ(tracker.check(14500, 14000), milliseconds(4000));
    }
    {
        // The same stop with 1.5 s of blocking after it: 2.5 s in all, more
        // than the threshold though neither side of the stop is.
        HangWatchdog::Tracker tracker(milliseconds(500), milliseconds(2000), 0);
        EXPECT_FALSE(checks(tracker, 500, 1500, 500));
        EXPECT_FALSE(tracker.check(11500, 500));
        EXPECT_FALSE(checks(tracker, 12000, 12500, 500));
        EXPECT_EQ(tracker.check(13000, 13000), milliseconds(3000));
    }
    {
        // Half a second of blocking on each side of a stop is no hang.
        HangWatchdog::Tracker tracker(milliseconds(500), milliseconds(2000), 0);
        EXPECT_FALSE(checks(tracker, 500, 1000, 500));
        EXPECT_FALSE(tracker.check(11000, 500));
        EXPECT_FALSE(tracker.check(11500, 11500));
        EXPECT_FALSE(checks(tracker, 12000, 15000, 11500));
    }
}
