#include "RecognitionGate.h"

#include <QSemaphore>
#include <QStringList>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A reading that blocks its worker until the test lets it go.
struct Latch
{
    QSemaphore go;
    void open() { go.release(); }
};

Recognition reading(const QString &title)
{
    Recognition recognition;
    recognition.title = title;
    recognition.confidence = 0.9;
    return recognition;
}

} // namespace

TEST(RecognitionGateTest, TwoReadAtOnceAndTheOthersStartInTheOrderTheyAsked)
{
    RecognitionGate gate;
    QStringList started;
    QStringList finished;
    std::array<Latch, 4> latches;
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("r%1").arg(i);
        gate.run([&latch = latches[i], name] {
                     latch.go.acquire();
                     return reading(name);
                 },
                 [&started, name] { started.append(name); },
                 [&finished](std::optional<Recognition> result) { finished.append(result ? *result->title : QStringLiteral("gave way")); });
    }
    EXPECT_EQ(started, (QStringList{QStringLiteral("r0"), QStringLiteral("r1")}));
    EXPECT_EQ(gate.running(), 2);
    EXPECT_EQ(gate.waiting(), 2);

    // The second ends first: its slot goes to the oldest waiter, not the newest.
    latches[1].open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }, 5000));
    EXPECT_EQ(started, (QStringList{QStringLiteral("r0"), QStringLiteral("r1"), QStringLiteral("r2")}));
    EXPECT_EQ(gate.running(), 2);

    for (int i : {0, 2, 3})
        latches[i].open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 4; }, 5000));
    EXPECT_EQ(started.size(), 4);
    EXPECT_EQ(finished.first(), QStringLiteral("r1"));
    EXPECT_EQ(gate.running(), 0);
    EXPECT_EQ(gate.waiting(), 0);
}

TEST(RecognitionGateTest, AHangingReadingGivesWayAndItsLateAnswerIsDropped)
{
    auto stuck = std::make_shared<Latch>();
    auto gate = std::make_unique<RecognitionGate>(std::chrono::milliseconds(100));
    QList<std::optional<Recognition>> answers;
    QStringList started;
    gate->run([stuck] {
                  stuck->go.acquire();
                  return reading(QStringLiteral("late"));
              },
              [&] { started.append(QStringLiteral("stuck")); },
              [&](std::optional<Recognition> result) { answers.append(result); });
    gate->run([] { return reading(QStringLiteral("quick")); }, [&] { started.append(QStringLiteral("quick")); },
              [&](std::optional<Recognition> result) { answers.append(result); });
    // A third request waits for a slot until the stuck one gives way.
    gate->run([] { return reading(QStringLiteral("third")); }, [&] { started.append(QStringLiteral("third")); },
              [&](std::optional<Recognition> result) { answers.append(result); });

    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 3; }, 5000));
    EXPECT_EQ(started, (QStringList{QStringLiteral("stuck"), QStringLiteral("quick"), QStringLiteral("third")}));
    EXPECT_EQ(std::count(answers.begin(), answers.end(), std::nullopt), 1);
    EXPECT_EQ(gate->running(), 0);

    // When the stuck reading finally ends, nobody is told twice.
    stuck->open();
    QTest::qWait(100);
    EXPECT_EQ(answers.size(), 3);
    EXPECT_EQ(gate->running(), 0);
}

TEST(RecognitionGateTest, AReadingThatThrowsCountsAsGivenUp)
{
    RecognitionGate gate;
    std::optional<std::optional<Recognition>> answer;
    gate.run([]() -> Recognition { throw std::runtime_error("broken"); }, {},
             [&](std::optional<Recognition> result) { answer = result; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 5000));
    EXPECT_FALSE(answer->has_value());
    EXPECT_EQ(gate.running(), 0);
}
