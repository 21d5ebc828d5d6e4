#include "Labels.h"
#include "Models.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

Recognition sampleRecognition()
{
    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    recognition.sender = QStringLiteral("Telekom");
    recognition.date = CalendarUtc::noon(QDate(2024, 11, 5));
    recognition.amount = Decimal::fromString(u"39.95");
    recognition.currency = QStringLiteral("EUR");
    recognition.title = QStringLiteral("Rechnung November");
    recognition.confidence = 0.75;
    recognition.source = Recognition::Source::model;
    recognition.readAt = QDateTime(QDate(2024, 11, 6), QTime(8, 0), Qt::UTC);
    recognition.notes = {QStringLiteral("total found")};
    return recognition;
}

TEST(Models, NewRecordsStartWithTheirInitialValuesAndNameThemselvesFromTheirPaths)
{
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const WatchedFolder place(QStringLiteral("/srv/archive"), QByteArray("b"), false);
    EXPECT_TRUE(place.isEnabled);
    EXPECT_FALSE(place.isWatched || place.includeSubfolders || place.needsReselect);
    EXPECT_NE(WatchedFolder().uuid, WatchedFolder().uuid);
    EXPECT_GE(place.createdAt, before);

    JournalEntry entry(std::nullopt, QStringLiteral("Rule"), QStringLiteral("/home/anna/Downloads/Scan 1.pdf"), QString(),
                       JournalEntry::Status::review);
    EXPECT_EQ(entry.statusRaw, QStringLiteral("review"));
    EXPECT_TRUE(entry.message.isEmpty());
    EXPECT_FALSE(entry.performedData || entry.planData || entry.recognitionData || entry.trashDue || entry.fileID);
    EXPECT_GE(entry.date, before);

    // The record's own time, not the recognition's.
    const RecognitionRecord record(QString(), QStringLiteral("hash"), QStringLiteral("/a/b.pdf"), sampleRecognition());
    EXPECT_FALSE(record.edited);
    EXPECT_GE(record.readAt, before);
    EXPECT_EQ(record.recognition(), sampleRecognition());

    for (const char *path : {"/home/anna/Downloads", "/home/anna/Downloads/"})
        EXPECT_EQ(WatchedFolder(QString::fromUtf8(path), {}, true).name(), QStringLiteral("Downloads")) << path;
    EXPECT_EQ(WatchedFolder(QStringLiteral("/"), {}, true).name(), QStringLiteral("/"));
    EXPECT_EQ(entry.fileName(), QStringLiteral("Scan 1.pdf"));
    entry.newPath = QStringLiteral("/home/anna/Documents/2024-11-05 Telekom.pdf");
    EXPECT_EQ(entry.fileName(), QStringLiteral("2024-11-05 Telekom.pdf"));
    EXPECT_EQ(entry.originalName(), QStringLiteral("Scan 1.pdf"));
}

TEST(Models, StatusesReadExactlyAndFallBackToDone)
{
    for (const JournalEntry::Status status : JournalEntry::allStatuses) {
        EXPECT_EQ(JournalEntry(std::nullopt, QString(), QString(), QString(), status).status(), status);
        EXPECT_EQ(JournalEntry::statusFromRawValue(JournalEntry::statusRawValue(status)), status);
    }
    EXPECT_FALSE(JournalEntry::statusFromRawValue(u"Done") || JournalEntry::statusFromRawValue(u" review"));
    JournalEntry entry;
    for (const QString &raw : {QStringLiteral("Done"), QString(), QStringLiteral("waiting")}) {
        entry.statusRaw = raw;
        EXPECT_EQ(entry.status(), JournalEntry::Status::done) << raw.toStdString();
    }
}

TEST(Models, UnreadablePayloadsTurnIntoTheirSubstitutes)
{
    // An unreadable reading is an empty one of kind other, read just now.
    RecognitionRecord record;
    const QDateTime before = QDateTime::currentDateTimeUtc();
    for (const QByteArray &bytes : {QByteArray(), QByteArray("{"), QByteArray("[1,2]"),
                                    QByteArray(R"({"kind":"note","confidence":1,"source":"rules","readAt":0,"notes":[]})")}) {
        record.payload = bytes;
        const Recognition substitute = record.recognition();
        EXPECT_GE(substitute.readAt, before) << bytes.constData();
        Recognition expected;
        expected.readAt = substitute.readAt;
        EXPECT_EQ(substitute, expected) << bytes.constData();
        EXPECT_EQ(expected.kind, DocumentKind::other);
    }

    JournalEntry entry;
    entry.recognitionData = QByteArray("garbage");
    EXPECT_FALSE(entry.recognition());
    entry.setRecognition(sampleRecognition());
    EXPECT_EQ(entry.recognition(), sampleRecognition());
    entry.setRecognition(std::nullopt);
    EXPECT_FALSE(entry.recognitionData || entry.recognition());

    const Plan plan{QUuid::createUuid(), QStringLiteral("/home/anna/Downloads/Scan 1.pdf"),
                    QStringLiteral("/home/anna/Documents/2024/Telekom.pdf"), {QStringLiteral("/home/anna/Backup/T.pdf")},
                    {QStringLiteral("Steuer"), QStringLiteral("Telefon")}, 30, QStringLiteral("org.kde.okular"),
                    {QStringLiteral("betrag")}};
    entry.setPlan(plan);
    EXPECT_EQ(entry.plan(), plan);
    entry.planData = QByteArray(R"({"ruleID":"not a uuid"})");
    EXPECT_FALSE(entry.plan());
    entry.setPlan(std::nullopt);
    EXPECT_FALSE(entry.planData);

    const Performed performed{plan.original, plan.destination, plan.copies, {QStringLiteral("Telefon")}, 30};
    entry.setPerformed(performed);
    EXPECT_EQ(entry.performed(), performed);
    entry.performedData = QByteArray();
    EXPECT_FALSE(entry.performed());
    entry.setPerformed(std::nullopt);
    EXPECT_FALSE(entry.performedData);
}

TEST(Models, StoredRulesKeepTheirRuleAndIdentity)
{
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = QStringLiteral("Rechnungen");
    rule.conditions = {Condition{QUuid::createUuid(), Condition::Field::kind, Condition::Operator::is,
                                 QStringLiteral("invoice")}};
    rule.actions = {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Documents/{jahr}")}};
    rule.isEnabled = false;
    rule.createdFromPrompt = QStringLiteral("Move invoices to Documents");
    const StoredRule stored(rule, QUuid::createUuid(), 4);
    EXPECT_EQ(stored.uuid, rule.id);
    EXPECT_EQ(stored.order, 4);
    EXPECT_EQ(stored.rule(), rule);
    // Two records made from one rule share its id.
    EXPECT_EQ(StoredRule(rule, std::nullopt, 0).uuid, stored.uuid);

    // An unreadable payload reads as an empty, enabled rule named "Rule" that
    // keeps the record's identity; writing a rule replaces the payload and
    // nothing else.
    StoredRule broken = stored;
    for (const QByteArray &bytes : {QByteArray(), QByteArray("no rule"), QByteArray(R"({"name":"x"})")}) {
        broken.payload = bytes;
        EXPECT_EQ(broken.rule(), (Rule{stored.uuid, QStringLiteral("Rule")})) << bytes.constData();
    }
    rule.id = QUuid::createUuid();
    broken.setRule(rule);
    EXPECT_EQ(broken.uuid, stored.uuid);
    EXPECT_EQ(broken.rule(), rule);
}

TEST(Labels, EveryCaseHasItsOwnTitle)
{
    auto distinct = [](const auto &cases) {
        QSet<QString> titles;
        for (const auto value : cases) {
            const QString title = Labels::title(value);
            EXPECT_FALSE(title.isEmpty());
            titles.insert(title);
        }
        return titles.size() == qsizetype(cases.size());
    };
    EXPECT_TRUE(distinct(DocumentKinds::allCases));
    EXPECT_TRUE(distinct(Condition::allFields));
    EXPECT_TRUE(distinct(Condition::allOperators));
    EXPECT_TRUE(distinct(FileCategories::allCases));
}

} // namespace
