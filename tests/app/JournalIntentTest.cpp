#include "JournalIntent.h"

#include <gtest/gtest.h>

// A stored intent is read back as written; one whose process id is no whole
// number a process can have, or with a field of another type, is a damaged
// row, never converted into a value.
TEST(JournalIntent, ReadsWhatItWroteAndRejectsOutOfRangeNumbersAndWrongTypes)
{
    JournalIntent intent = JournalIntent::begin(JournalIntent::Kind::undo);
    intent.tagsBefore = {QStringLiteral("Steuer")};
    intent.target = QStringLiteral("/home/anna/a.pdf");
    const auto back = JournalIntent::fromJsonData(intent.toJsonData());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, JournalIntent::Kind::undo);
    EXPECT_EQ(back->pid, intent.pid);
    EXPECT_EQ(back->process, intent.process);
    EXPECT_EQ(back->tagsBefore, intent.tagsBefore);
    EXPECT_EQ(back->target, intent.target);
    EXPECT_FALSE(back->arrived);
    EXPECT_TRUE(back->ownerRuns());

    intent.arrived = QDateTime(QDate(2026, 11, 2), QTime(9, 30, 15, 250), Qt::UTC);
    EXPECT_EQ(JournalIntent::fromJsonData(intent.toJsonData())->arrived, intent.arrived);
    // A number that is no time reads as unknown; the rest of the intent
    // stands. Another type is a damaged row.
    for (const char *arrived : {"1e300", "12.5"}) {
        const QByteArray data = QByteArray(R"({"kind":"file","process":"x","pid":1,"arrived":)") + arrived + "}";
        const auto read = JournalIntent::fromJsonData(data);
        ASSERT_TRUE(read) << arrived;
        EXPECT_FALSE(read->arrived) << arrived;
    }
    for (const char *arrived : {"\"x\"", "null", "[1]"}) {
        const QByteArray data = QByteArray(R"({"kind":"file","process":"x","pid":1,"arrived":)") + arrived + "}";
        EXPECT_FALSE(JournalIntent::fromJsonData(data)) << arrived;
    }

    for (const char *pid : {"1e19", "-1e19", "-1", "2147483648", "12.5", "1e308", "\"12\"", "null", "true"}) {
        const QByteArray data = QByteArray(R"({"kind":"file","process":"x","pid":)") + pid + "}";
        EXPECT_FALSE(JournalIntent::fromJsonData(data)) << pid;
    }
    EXPECT_FALSE(JournalIntent::fromJsonData(R"({"kind":"file","process":"x"})"));
    EXPECT_TRUE(JournalIntent::fromJsonData(R"({"kind":"file","process":"x","pid":2147483647})"));

    for (const char *fields : {R"("process":123)", R"("process":null)", R"("process":"x","tagsBefore":"a,b")",
                               R"("process":"x","tagsBefore":[1,null])", R"("process":"x","tagsBefore":["a",2])",
                               R"("process":"x","tagsBefore":{})", R"("process":"x","target":["/x"])",
                               R"("process":"x","target":null)", R"("target":"/x")"}) {
        const QByteArray data = QByteArray(R"({"kind":"file","pid":1,)") + fields + "}";
        EXPECT_FALSE(JournalIntent::fromJsonData(data)) << fields;
    }
    const auto tagged = JournalIntent::fromJsonData(R"({"kind":"file","pid":1,"process":"x","tagsBefore":["a","b"]})");
    ASSERT_TRUE(tagged);
    EXPECT_EQ(tagged->tagsBefore, QStringList({QStringLiteral("a"), QStringLiteral("b")}));
}
