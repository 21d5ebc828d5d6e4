#include "JsonCoding.h"
#include "Rule.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
QUuid uuid(const QString &text)
{
    return QUuid::fromString(text);
}

Rule sampleRule()
{
    return Rule{uuid(u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s),
                u"Rechnungen"_s,
                {Condition{uuid(u"7C9E6679-7425-40DE-944B-E07FC1F90AE7"_s), Condition::Field::kind,
                           Condition::Operator::is, u"invoice, receipt"_s},
                 Condition{uuid(u"16FD2706-8BAF-433B-82EB-8C7FADA847DA"_s), Condition::Field::size,
                           Condition::Operator::lessThan, u"1,5"_s}},
                {RuleAction{uuid(u"A3BB189E-8BF9-3888-9912-ACE4E6543002"_s), RuleAction::Kind::move,
                            u"~/Documents/{absender}/{jahr}"_s},
                 RuleAction{uuid(u"886313E1-3B8A-5372-9B90-0C9AEE199E5D"_s), RuleAction::Kind::tag, u"Steuer, Büro"_s}},
                false,
                u"Move invoices into a folder per sender"_s};
}

QByteArray withChange(const std::function<void(QJsonObject &)> &change)
{
    QJsonObject object = sampleRule().toJson();
    change(object);
    return QJsonDocument(object).toJson();
}

// Changes the first element of the array under `list`; an undefined value removes the key.
std::function<void(QJsonObject &)> changeFirst(const QString &list, const QString &key, const QJsonValue &value)
{
    return [=](QJsonObject &o) {
        QJsonArray array = o.value(list).toArray();
        QJsonObject first = array.first().toObject();
        if (value.isUndefined())
            first.remove(key);
        else
            first.insert(key, value);
        array.replace(0, first);
        o.insert(list, array);
    };
}
} // namespace

// The raw values are what stored rules hold: renaming one loses the user's rules.
TEST(RuleModel, EnumerationsAreNamedByTheirRawValues)
{
    const auto names = [](const auto &cases, const auto &rawValue) {
        QStringList out;
        for (const auto value : cases)
            out.append(rawValue(value));
        return out.join(u',');
    };
    EXPECT_EQ(names(Condition::allFields, Condition::fieldRawValue), u"kind,sender,date,amount,fileType,name,age,size,text"_s);
    EXPECT_EQ(names(Condition::allOperators, Condition::operatorRawValue),
              u"is,isNot,contains,doesNotContain,startsWith,endsWith,greaterThan,lessThan,before,after"_s);
    EXPECT_EQ(names(RuleAction::allKinds, RuleAction::kindRawValue), u"move,rename,tag,trashAfter,openWith,copy"_s);
    EXPECT_EQ(names(FileCategories::allCases, FileCategories::rawValue),
              u"pdf,image,screenshot,installer,document,archive,audio,video"_s);

    // Reading them back is exact: no case folding, no trimming.
    EXPECT_EQ(FileCategories::fromRawValue(u"audio"), FileCategory::audio);
    EXPECT_FALSE(FileCategories::fromRawValue(u"pdf "));
    EXPECT_FALSE(Condition::fieldFromRawValue(u"filetype"));
    EXPECT_FALSE(RuleAction::kindFromRawValue(u""));
}

TEST(RuleModel, TagsValuesAndDays)
{
    // Split at commas, trimmed of blanks only.
    const auto tags = [](const QString &value) { return RuleAction{QUuid(), RuleAction::Kind::tag, value}.tags(); };
    EXPECT_EQ(tags(u"Steuer,, \t2024 "_s), (QStringList{u"Steuer"_s, u"2024"_s}));
    EXPECT_TRUE(tags(u" , ,\t, "_s).isEmpty());
    EXPECT_EQ(tags(u"\nA ,B\n,A,\u00a0C\u3000"_s), (QStringList{u"\nA"_s, u"B\n"_s, u"A"_s, u"C"_s}));
    EXPECT_EQ((Condition{QUuid(), Condition::Field::kind, Condition::Operator::is, u" Invoice ,receipt"_s}.values()),
              (QStringList{u"Invoice"_s, u"receipt"_s}));

    // Days are plain integers.
    const auto days = [](const QString &value) { return RuleAction{QUuid(), RuleAction::Kind::trashAfter, value}.days(); };
    EXPECT_EQ(days(u"  30\t"_s), 30);
    EXPECT_EQ(days(u"+7"_s), 7);
    EXPECT_EQ(days(u"-3"_s), -3);
    EXPECT_EQ(days(u"9223372036854775807"_s), std::numeric_limits<qint64>::max());
    EXPECT_EQ(days(u"-9223372036854775808"_s), std::numeric_limits<qint64>::min());
    for (const QString &bad : {QString(), u"  "_s, u"30 days"_s, u"1.5"_s, u"+"_s, u"-"_s, u"+-1"_s, u"1 0"_s, u"\n5"_s,
                               u"٣"_s, u"9223372036854775808"_s})
        EXPECT_FALSE(days(bad).has_value()) << bad.toStdString();
}

TEST(RuleJson, RoundTripsExactly)
{
    const Rule rule = sampleRule();
    const QJsonObject object = QJsonDocument::fromJson(rule.toJsonData()).object();
    EXPECT_EQ(QStringList(object.keys()),
              (QStringList{u"actions"_s, u"conditions"_s, u"createdFromPrompt"_s, u"id"_s, u"isEnabled"_s, u"name"_s}));
    EXPECT_EQ(object.value(u"id").toString(), u"0F8FAD5B-D9CB-469F-A165-70867728950E"_s);
    EXPECT_EQ(object.value(u"isEnabled"), QJsonValue(false));
    EXPECT_EQ(object.value(u"createdFromPrompt").toString(), u"Move invoices into a folder per sender"_s);
    EXPECT_EQ(object.value(u"conditions").toArray().first().toObject(),
              (QJsonObject{{u"id"_s, u"7C9E6679-7425-40DE-944B-E07FC1F90AE7"_s}, {u"field"_s, u"kind"_s},
                           {u"op"_s, u"is"_s}, {u"value"_s, u"invoice, receipt"_s}}));
    const QJsonObject action = object.value(u"actions").toArray().first().toObject();
    EXPECT_EQ(action.value(u"id").toString(), u"A3BB189E-8BF9-3888-9912-ACE4E6543002"_s);
    EXPECT_EQ(action.value(u"kind").toString(), u"move"_s);
    EXPECT_EQ(Rule::fromJsonData(rule.toJsonData()), rule);

    Rule plain = rule;
    plain.createdFromPrompt.reset();
    plain.conditions.clear();
    EXPECT_FALSE(plain.toJson().contains(u"createdFromPrompt"));
    EXPECT_EQ(Rule::fromJsonData(plain.toJsonData()), plain);

    // Null reads as absent; keys nobody knows are ignored.
    const Rule fromNull = Rule::fromJsonData(withChange([](QJsonObject &o) {
        o.insert(u"createdFromPrompt"_s, QJsonValue::Null);
        o.insert(u"folder"_s, u"elsewhere"_s);
    }));
    EXPECT_FALSE(fromNull.createdFromPrompt.has_value());
    EXPECT_EQ(fromNull.conditions, rule.conditions);
}

TEST(RuleJson, RefusesBrokenPayloads)
{
    const auto set = [](const QString &key, const QJsonValue &value) {
        return [=](QJsonObject &o) { o.insert(key, value); };
    };
    const QJsonValue removed(QJsonValue::Undefined);
    const QList<std::function<void(QJsonObject &)>> breakages{
        [](QJsonObject &o) { o.remove(u"isEnabled"_s); },
        set(u"id"_s, u"not a uuid"_s),
        set(u"actions"_s, QJsonObject()),
        set(u"conditions"_s, QJsonArray{u"kind"_s}),
        changeFirst(u"conditions"_s, u"op"_s, u"equals"_s),
        changeFirst(u"conditions"_s, u"op"_s, u"IS"_s),
        changeFirst(u"conditions"_s, u"field"_s, u"colour"_s),
        changeFirst(u"conditions"_s, u"value"_s, removed),
        changeFirst(u"actions"_s, u"kind"_s, u"delete"_s),
    };
    for (qsizetype i = 0; i < breakages.size(); ++i)
        EXPECT_THROW(Rule::fromJsonData(withChange(breakages[i])), JsonCoding::DecodeError) << "case " << i;
}

TEST(FileFacts, ReadsSizeArrivalAndScreenshotFlag)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Screenshot 2024-05-01.PNG"_s);
    ASSERT_TRUE(TestSupport::writeFile(path, QByteArray(1234, 'x')));
    const QDateTime now = QDateTime::currentDateTimeUtc().addDays(3);
    const FileFacts facts = FileFacts::read(path, std::nullopt, u"text"_s, now);
    EXPECT_EQ(facts.size, 1234);
    EXPECT_TRUE(facts.isScreenshot);
    EXPECT_LT(qAbs(facts.added.secsTo(QDateTime::currentDateTimeUtc())), 60);

    Recognition recognition;
    recognition.kind = DocumentKind::letter;
    const FileFacts gone = FileFacts::read(dir.filePath(u"gone.pdf"_s), recognition, std::nullopt, now);
    EXPECT_EQ(gone.size, 0);
    EXPECT_EQ(gone.added, now);
    EXPECT_FALSE(gone.isScreenshot);
}

TEST(FileFacts, NameAndExtension)
{
    FileFacts facts;
    for (const auto &[path, name, ext] : std::initializer_list<std::array<const char *, 3>>{
             {"/a/b/Report.Final.PDF", "Report.Final.PDF", "pdf"},
             {"/a/b/Screenshot 2024-05-01.PNG", "Screenshot 2024-05-01.PNG", "png"},
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
