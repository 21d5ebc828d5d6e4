#include "Store.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(StoreCheckpoint, TheLogIsCheckpointedOffTheMainThreadAndNothingIsLost)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("checkpoint.store"));
    {
        auto store = Store::open(path);
        const QString padding(400, u'x');
        for (int round = 0; round < 3; ++round) {
            store->batch([&] {
                for (int i = 0; i < 4000; ++i) {
                    JournalEntry entry(std::nullopt, padding, QStringLiteral("/a/%1").arg(i), QStringLiteral("/b/%1").arg(i),
                                       JournalEntry::Status::done);
                    store->insert(entry);
                }
            });
        }
        for (int wait = 0; wait < 200 && store->checkpoints() == 0; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_GT(store->checkpoints(), 0);
        // Writing goes on while and after the log is copied back.
        JournalEntry last(std::nullopt, QStringLiteral("last"), QStringLiteral("/a/last"), QString(),
                          JournalEntry::Status::review);
        EXPECT_TRUE(store->insert(last));
    }
    auto reopened = Store::open(path);
    EXPECT_EQ(reopened->count(Store::Model::journalEntry), 12001);
    EXPECT_EQ(reopened->journal(JournalEntry::Status::review).size(), 1);
}
