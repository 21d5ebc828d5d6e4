#include "LoopGuard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {
const QDateTime t0 = QDateTime(QDate(2025, 3, 10), QTime(9, 0), Qt::UTC);
}

TEST(LoopGuard, MovedFilesStayLoudForSixtySeconds)
{
    LoopGuard guard;
    EXPECT_TRUE(guard.isQuiet(7, t0));
    guard.noteMoved(7, t0);
    EXPECT_FALSE(guard.isQuiet(7, t0));
    EXPECT_TRUE(guard.isQuiet(8, t0));
    EXPECT_FALSE(guard.isQuiet(7, t0.addMSecs(59'900)));
    EXPECT_TRUE(guard.isQuiet(7, t0.addSecs(60)));
    EXPECT_TRUE(guard.isQuiet(7, t0.addSecs(1))); // the entry is gone

    // Noting again keeps only the later date; moves dated after now stay.
    guard.noteMoved(9, t0);
    guard.noteMoved(9, t0.addSecs(30));
    EXPECT_FALSE(guard.isQuiet(9, t0.addSecs(80)));
    EXPECT_TRUE(guard.isQuiet(9, t0.addSecs(90)));
    guard.noteMoved(10, t0.addSecs(500));
    EXPECT_FALSE(guard.isQuiet(10, t0));

    // Pruning on one file's question forgets every old move.
    guard.noteMoved(11, t0);
    guard.noteMoved(12, t0.addSecs(50));
    EXPECT_FALSE(guard.isQuiet(12, t0.addSecs(60)));
    EXPECT_TRUE(guard.isQuiet(11, t0.addSecs(10)));
}

TEST(LoopGuard, OfManyMovesOnlyThoseOfTheLastMinuteCount)
{
    LoopGuard guard;
    for (int i = 0; i < 1000; ++i)
        guard.noteMoved(quint64(i), t0.addSecs(i));
    // Noted again with an earlier date: the earlier one holds.
    guard.noteMoved(990, t0.addSecs(100));
    const QDateTime now = t0.addSecs(1000);
    EXPECT_TRUE(guard.isQuiet(500, now));
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(guard.isQuiet(quint64(i), now), i <= 940 || i == 990) << i;
    // Asked again later, the rest are forgotten in turn.
    EXPECT_FALSE(guard.isQuiet(999, now.addSecs(58)));
    EXPECT_TRUE(guard.isQuiet(998, now.addSecs(58)));
}

TEST(LoopGuard, ARuleRunsThreeTimesPerFile)
{
    LoopGuard guard;
    const QUuid rule = QUuid::createUuid();
    for (int i = 0; i < LoopGuard::maxRunsPerRule; ++i)
        EXPECT_TRUE(guard.allowRun(rule, 42)) << i;
    EXPECT_FALSE(guard.allowRun(rule, 42));
    EXPECT_FALSE(guard.allowRun(rule, 42));
    EXPECT_TRUE(guard.allowRun(rule, 43));
    EXPECT_TRUE(guard.allowRun(QUuid::createUuid(), 42));
    EXPECT_TRUE(guard.isQuiet(42, t0)); // moves and runs are counted apart
}

TEST(LoopGuard, CountsExactlyUnderConcurrentCalls)
{
    LoopGuard guard;
    const QUuid rule = QUuid::createUuid();
    std::atomic<int> allowed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                if (guard.allowRun(rule, 1))
                    ++allowed;
                guard.noteMoved(quint64(t * 1000 + i), t0);
                guard.isQuiet(quint64(i), t0.addSecs(i % 2 ? 61 : 1));
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(allowed.load(), LoopGuard::maxRunsPerRule);
}
