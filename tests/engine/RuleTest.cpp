#include "JsonCoding.h"
#include "Rule.h"
#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
Rule sampleRule()
{
    return Rule{QUuid::fromString(QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E")),
                QStringLiteral("Rechnungen"),
                {Condition{QUuid::fromString(QStringLiteral("7C9E6679-7425-40DE-944B-E07FC1F90AE7")),
                           Condition::Field::kind, Condition::Operator::is, QStringLiteral("invoice, receipt")},
                 Condition{QUuid::fromString(QStringLiteral("16FD2706-8BAF-433B-82EB-8C7FADA847DA")), Condition::Field::size, Condition::Operator::lessThan,
                           QStringLiteral("1,5")}},
                {RuleAction{QUuid::fromString(QStringLiteral("A3BB189E-8BF9-3888-9912-ACE4E6543002")),
                            RuleAction::Kind::move, QStringLiteral("~/Documents/{absender}/{jahr}")},
                 RuleAction{QUuid::fromString(QStringLiteral("886313E1-3B8A-5372-9B90-0C9AEE199E5D")), RuleAction::Kind::tag, QStringLiteral("Steuer, Büro")}},
                false,
                QStringLiteral("Move invoices into a folder per sender")};
}

QByteArray withChange(const Rule &rule, const std::function<void(QJsonObject &)> &change)
{
    QJsonObject object = rule.toJson();
    change(object);
    return QJsonDocument(object).toJson();
}
} // namespace

TEST(RuleModel, EnumerationsAreNamedByTheirRawValues)
{
    QStringList fields;
    for (const Condition::Field field : Condition::allFields)
        fields.append(Condition::fieldRawValue(field));
    EXPECT_EQ(fields.join(u','), QStringLiteral("kind,sender,date,amount,fileType,name,age,size,text"));
    QStringList ops;
    for (const Condition::Operator op : Condition::allOperators)
        ops.append(Condition::operatorRawValue(op));
    EXPECT_EQ(ops.join(u','),
              QStringLiteral("is,isNot,contains,doesNotContain,startsWith,endsWith,greaterThan,lessThan,before,after"));
    QStringList kinds;
    for (const RuleAction::Kind kind : RuleAction::allKinds)
        kinds.append(RuleAction::kindRawValue(kind));
    EXPECT_EQ(kinds.join(u','), QStringLiteral("move,rename,tag,trashAfter,openWith,copy"));
    QStringList categories;
    for (const FileCategory category : FileCategories::allCases)
        categories.append(FileCategories::rawValue(category));
    EXPECT_EQ(categories.join(u','), QStringLiteral("pdf,image,screenshot,installer,document,archive,audio,video"));

    EXPECT_EQ(Condition::operatorFromRawValue(u"doesNotContain"), Condition::Operator::doesNotContain);
    EXPECT_EQ(Condition::fieldFromRawValue(u"fileType"), Condition::Field::fileType);
    EXPECT_EQ(RuleAction::kindFromRawValue(u"trashAfter"), RuleAction::Kind::trashAfter);
    EXPECT_EQ(FileCategories::fromRawValue(u"audio"), FileCategory::audio);
    EXPECT_FALSE(Condition::operatorFromRawValue(u"Is"));
    EXPECT_FALSE(Condition::fieldFromRawValue(u"filetype"));
    EXPECT_FALSE(RuleAction::kindFromRawValue(u""));
    EXPECT_FALSE(FileCategories::fromRawValue(u"pdf "));
}

TEST(RuleModel, TagsAndValuesSplitAtCommasAndTrimOnlyBlanks)
{
    RuleAction action{QUuid::createUuid(), RuleAction::Kind::tag, QStringLiteral("Steuer,, \t2024 ")};
    EXPECT_EQ(action.tags(), (QStringList{QStringLiteral("Steuer"), QStringLiteral("2024")}));
    action.value = QStringLiteral(" , ,\t, ");
    EXPECT_TRUE(action.tags().isEmpty());
    action.value = QStringLiteral("\nA ,B\n,A,\u00a0C\u3000");
    EXPECT_EQ(action.tags(), (QStringList{QStringLiteral("\nA"), QStringLiteral("B\n"), QStringLiteral("A"),
                                          QStringLiteral("C")}));

    const Condition condition{QUuid::createUuid(), Condition::Field::kind, Condition::Operator::is,
                              QStringLiteral(" Invoice ,receipt")};
    EXPECT_EQ(condition.values(), (QStringList{QStringLiteral("Invoice"), QStringLiteral("receipt")}));
}

TEST(RuleModel, DaysArePlainIntegers)
{
    const auto days = [](const QString &value) {
        return RuleAction{QUuid::createUuid(), RuleAction::Kind::trashAfter, value}.days();
    };
    EXPECT_EQ(days(QStringLiteral("  30\t")), 30);
    EXPECT_EQ(days(QStringLiteral("+7")), 7);
    EXPECT_EQ(days(QStringLiteral("-3")), -3);
    EXPECT_EQ(days(QStringLiteral("0")), 0);
    EXPECT_EQ(days(QStringLiteral("9223372036854775807")), std::numeric_limits<qint64>::max());
    EXPECT_EQ(days(QStringLiteral("-9223372036854775808")), std::numeric_limits<qint64>::min());
    for (const QString &bad : {QString(), QStringLiteral("  "), QStringLiteral("30 days"), QStringLiteral("1.5"),
                               QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("+-1"), QStringLiteral("1 0"),
                               QStringLiteral("\n5"), QStringLiteral("٣"), QStringLiteral("9223372036854775808")})
        EXPECT_FALSE(days(bad).has_value()) << bad.toStdString();
}

TEST(RuleJson, RoundTripsExactly)
{
    const Rule rule = sampleRule();
    const QJsonObject object = QJsonDocument::fromJson(rule.toJsonData()).object();
    EXPECT_EQ(object.value(u"id").toString(), QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E"));
    EXPECT_EQ(object.value(u"isEnabled"), QJsonValue(false));
    EXPECT_EQ(object.value(u"createdFromPrompt").toString(), QStringLiteral("Move invoices into a folder per sender"));
    const QJsonObject condition = object.value(u"conditions").toArray().first().toObject();
    EXPECT_EQ(condition.value(u"id").toString(), QStringLiteral("7C9E6679-7425-40DE-944B-E07FC1F90AE7"));
    EXPECT_EQ(condition.value(u"field").toString(), QStringLiteral("kind"));
    EXPECT_EQ(condition.value(u"op").toString(), QStringLiteral("is"));
    EXPECT_EQ(condition.value(u"value").toString(), QStringLiteral("invoice, receipt"));
    const QJsonObject action = object.value(u"actions").toArray().first().toObject();
    EXPECT_EQ(action.value(u"id").toString(), QStringLiteral("A3BB189E-8BF9-3888-9912-ACE4E6543002"));
    EXPECT_EQ(action.value(u"kind").toString(), QStringLiteral("move"));
    EXPECT_EQ(QStringList(object.keys()),
              (QStringList{QStringLiteral("actions"), QStringLiteral("conditions"), QStringLiteral("createdFromPrompt"),
                           QStringLiteral("id"), QStringLiteral("isEnabled"), QStringLiteral("name")}));

    EXPECT_EQ(Rule::fromJsonData(rule.toJsonData()), rule);

    Rule plain = rule;
    plain.createdFromPrompt.reset();
    plain.conditions.clear();
    EXPECT_FALSE(plain.toJson().contains(u"createdFromPrompt"));
    EXPECT_EQ(Rule::fromJsonData(plain.toJsonData()), plain);

    // Null reads as absent; keys nobody knows are ignored.
    const Rule fromNull = Rule::fromJsonData(withChange(rule, [](QJsonObject &o) {
        o.insert(QStringLiteral("createdFromPrompt"), QJsonValue::Null);
        o.insert(QStringLiteral("folder"), QStringLiteral("elsewhere"));
    }));
    EXPECT_FALSE(fromNull.createdFromPrompt.has_value());
    EXPECT_EQ(fromNull.conditions, rule.conditions);
}

TEST(RuleJson, RefusesBrokenPayloads)
{
    const Rule rule = sampleRule();
    const auto changeCondition = [](const QString &key, const QJsonValue &value) {
        return [key, value](QJsonObject &o) {
            QJsonArray conditions = o.value(u"conditions").toArray();
            QJsonObject first = conditions.first().toObject();
            if (value.isUndefined())
                first.remove(key);
            else
                first.insert(key, value);
            conditions.replace(0, first);
            o.insert(QStringLiteral("conditions"), conditions);
        };
    };
    const QList<std::function<void(QJsonObject &)>> breakages{
        [](QJsonObject &o) { o.remove(QStringLiteral("isEnabled")); },
        [](QJsonObject &o) { o.remove(QStringLiteral("id")); },
        [](QJsonObject &o) { o.insert(QStringLiteral("id"), QStringLiteral("not a uuid")); },
        [](QJsonObject &o) { o.insert(QStringLiteral("name"), 3); },
        [](QJsonObject &o) { o.insert(QStringLiteral("isEnabled"), QStringLiteral("true")); },
        [](QJsonObject &o) { o.insert(QStringLiteral("actions"), QJsonObject()); },
        [](QJsonObject &o) { o.insert(QStringLiteral("conditions"), QJsonArray{QStringLiteral("kind")}); },
        [](QJsonObject &o) { o.insert(QStringLiteral("createdFromPrompt"), 1); },
        changeCondition(QStringLiteral("op"), QStringLiteral("equals")),
        changeCondition(QStringLiteral("op"), QStringLiteral("IS")),
        changeCondition(QStringLiteral("field"), QStringLiteral("colour")),
        changeCondition(QStringLiteral("value"), QJsonValue(QJsonValue::Undefined)),
        changeCondition(QStringLiteral("value"), QJsonValue::Null),
        changeCondition(QStringLiteral("id"), QJsonValue(QJsonValue::Undefined)),
        [](QJsonObject &o) {
            QJsonArray actions = o.value(u"actions").toArray();
            QJsonObject first = actions.first().toObject();
            first.insert(QStringLiteral("kind"), QStringLiteral("delete"));
            actions.replace(0, first);
            o.insert(QStringLiteral("actions"), actions);
        },
    };
    for (qsizetype i = 0; i < breakages.size(); ++i)
        EXPECT_THROW(Rule::fromJsonData(withChange(rule, breakages[i])), JsonCoding::DecodeError) << "case " << i;
    EXPECT_THROW(Rule::fromJsonData("[]"), JsonCoding::DecodeError);
    EXPECT_THROW(Rule::fromJsonData("{\"id\":"), JsonCoding::DecodeError);
}

TEST(FileFacts, ReadsSizeArrivalAndScreenshotFlag)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Screenshot 2024-05-01.PNG"));
    ASSERT_TRUE(TestSupport::writeFile(path, QByteArray(1234, 'x')));
    const QDateTime now = QDateTime::currentDateTimeUtc().addDays(3);
    const FileFacts facts = FileFacts::read(path, std::nullopt, QStringLiteral("text"), now);
    EXPECT_EQ(facts.url, path);
    EXPECT_EQ(facts.size, 1234);
    EXPECT_TRUE(facts.isScreenshot);
    EXPECT_LT(qAbs(facts.added.secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_EQ(facts.text, QStringLiteral("text"));
    EXPECT_EQ(facts.now, now);
    EXPECT_EQ(facts.name(), QStringLiteral("Screenshot 2024-05-01.PNG"));
    EXPECT_EQ(facts.ext(), QStringLiteral("png"));

    Recognition recognition;
    recognition.kind = DocumentKind::letter;
    const FileFacts gone = FileFacts::read(dir.filePath(QStringLiteral("gone.pdf")), recognition, std::nullopt, now);
    EXPECT_EQ(gone.size, 0);
    EXPECT_EQ(gone.added, now);
    EXPECT_FALSE(gone.isScreenshot);
    EXPECT_EQ(gone.recognition, recognition);
    EXPECT_FALSE(gone.text.has_value());
}

TEST(FileFacts, NameAndExtension)
{
    FileFacts facts;
    for (const auto &[path, name, ext] : std::initializer_list<std::array<const char *, 3>>{
             {"/a/b/Report.Final.PDF", "Report.Final.PDF", "pdf"},
             {"/a/b/archive.tar.gz", "archive.tar.gz", "gz"},
             {"/a/b/README", "README", ""},
             {"/a/b/.hidden", ".hidden", ""},
             {"/a/b/trailing.", "trailing.", ""},
             {"/a/b.d/file", "file", ""},
         }) {
        facts.url = QString::fromUtf8(path);
        EXPECT_EQ(facts.name(), QString::fromUtf8(name));
        EXPECT_EQ(facts.ext(), QString::fromUtf8(ext)) << path;
    }
}
