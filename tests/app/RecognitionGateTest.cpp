#include "RecognitionGate.h"

#include <QSemaphore>
#include <QStringList>
#include <QtCore/qtestsupport_core.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

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
    // Each reading blocks its worker until the test lets it go.
    std::array<QSemaphore, 4> latches;
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("r%1").arg(i);
        gate.run([&latch = latches[i], name] {
                     latch.acquire();
                     return reading(name);
                 },
                 [&started, name] { started.append(name); },
                 [&finished](std::optional<Recognition> result) { finished.append(result ? *result->title : QStringLiteral("gave way")); });
    }
    EXPECT_EQ(started, (QStringList{QStringLiteral("r0"), QStringLiteral("r1")}));
    EXPECT_EQ(gate.running(), 2);
    EXPECT_EQ(gate.waiting(), 2);

    // The second ends first: its slot goes to the oldest waiter, not the newest.
    latches[1].release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }, 5000));
    EXPECT_EQ(started, (QStringList{QStringLiteral("r0"), QStringLiteral("r1"), QStringLiteral("r2")}));
    EXPECT_EQ(gate.running(), 2);

    for (int i : {0, 2, 3})
        latches[i].release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 4; }, 5000));
    EXPECT_EQ(started.size(), 4);
    EXPECT_EQ(finished.first(), QStringLiteral("r1"));
    EXPECT_EQ(gate.running(), 0);
    EXPECT_EQ(gate.waiting(), 0);
}

TEST(RecognitionGateTest, AHangingReadingGivesWayAndItsLateAnswerIsDropped)
{
    auto stuck = std::make_shared<QSemaphore>();
    auto gate = std::make_unique<RecognitionGate>(std::chrono::milliseconds(100));
    QList<std::optional<Recognition>> answers;
    QStringList started;
    const auto ask = [&](const QString &name, std::function<Recognition()> read) {
        gate->run(std::move(read), [&started, name] { started.append(name); },
                  [&answers](std::optional<Recognition> result) { answers.append(result); });
    };
    ask(QStringLiteral("stuck"), [stuck] {
        stuck->acquire();
        return reading(QStringLiteral("late"));
    });
    ask(QStringLiteral("quick"), [] { return reading(QStringLiteral("quick")); });
    // A third request waits for a slot until the stuck one gives way.
    ask(QStringLiteral("third"), [] { return reading(QStringLiteral("third")); });

    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 3; }, 5000));
    EXPECT_EQ(started, (QStringList{QStringLiteral("stuck"), QStringLiteral("quick"), QStringLiteral("third")}));
    EXPECT_EQ(std::count(answers.begin(), answers.end(), std::nullopt), 1);
    EXPECT_EQ(gate->running(), 0);

    // When the stuck reading finally ends, nobody is told twice.
    stuck->release();
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
