#include "FakeModelServer.h"
#include "JsonCoding.h"
#include "RuleDrafter.h"
#include "RuleTemplates.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QSet>
#include <QTcpServer>
#include <gtest/gtest.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {
// Field, operator and value of each condition, without the identifiers.
QStringList conditionsOf(const Rule &rule)
{
    QStringList out;
    for (const Condition &c : rule.conditions)
        out.append(Condition::fieldRawValue(c.field) + u' ' + Condition::operatorRawValue(c.op) + u' ' + c.value);
    return out;
}

QStringList actionsOf(const Rule &rule)
{
    QStringList out;
    for (const RuleAction &a : rule.actions)
        out.append(RuleAction::kindRawValue(a.kind) + u' ' + a.value);
    return out;
}

QSet<QUuid> identifiersOf(const Rule &rule)
{
    QSet<QUuid> ids{rule.id};
    for (const Condition &c : rule.conditions)
        ids.insert(c.id);
    for (const RuleAction &a : rule.actions)
        ids.insert(a.id);
    return ids;
}

// A chat answer whose message content is the given text, JSON or not.
FakeModelServer::Reply chatText(const QByteArray &content)
{
    const QJsonObject message{{u"role"_s, u"assistant"_s}, {u"content"_s, QString::fromUtf8(content)}};
    const QJsonObject choice{{u"index"_s, 0}, {u"message"_s, message}};
    return FakeModelServer::Reply{200, JsonCoding::serialize(QJsonObject{{u"choices"_s, QJsonArray{choice}}})};
}

constexpr std::chrono::milliseconds testTimeout{20'000};

RuleDraft emptyDraft()
{
    return RuleDraft{.kind = u"any"_s, .secondKind = u"none"_s, .fileType = u"any"_s};
}
} // namespace

TEST(RuleDrafter, FullDraftMapsEveryFieldInFixedOrder)
{
    const RuleDraft draft{.name = u"  Invoices by year \n"_s, .kind = u"invoice"_s, .secondKind = u"receipt"_s,
                          .fileType = u"pdf"_s, .nameContains = u" Rechnung "_s, .senderContains = u"Telekom"_s,
                          .olderThanDays = 30, .moveTo = u"Documents/Belege/{jahr}"_s,
                          .renameTo = u"{datum} {absender}"_s, .tags = u"Steuer, 2026"_s, .trashAfterDays = 14};
    const QString sentence = u"  move invoices from Downloads to my documents folder by year\n"_s;

    const Rule rule = RuleDrafter::rule(draft, sentence);
    EXPECT_EQ(rule.name, u"Invoices by year"_s);
    EXPECT_FALSE(rule.isEnabled);
    EXPECT_EQ(rule.createdFromPrompt, sentence);
    EXPECT_EQ(conditionsOf(rule), (QStringList{u"kind is invoice,receipt"_s, u"fileType is pdf"_s,
                                               u"name contains  Rechnung "_s, u"sender contains Telekom"_s,
                                               u"age greaterThan 30"_s}));
    EXPECT_EQ(actionsOf(rule), (QStringList{u"rename {datum} {absender}"_s, u"move ~/Documents/Belege/{jahr}"_s,
                                            u"tag Steuer, 2026"_s, u"trashAfter 14"_s}));
    EXPECT_EQ(identifiersOf(rule).size(), 1 + 5 + 4);
    EXPECT_FALSE(identifiersOf(rule).contains(QUuid()));
    // A second mapping of the same draft gets identifiers of its own.
    EXPECT_TRUE(identifiersOf(RuleDrafter::rule(draft, sentence)).intersect(identifiersOf(rule)).isEmpty());
}

TEST(RuleDrafter, ValuesThatDoNotFitAreLeftOut)
{
    const Rule nothing = RuleDrafter::rule(emptyDraft(), u"do something"_s);
    EXPECT_EQ(nothing.name, u"New Rule"_s);
    EXPECT_EQ(nothing.createdFromPrompt, u"do something"_s);
    // Blank name, unknown kind and file type, days not above zero.
    const Rule unfit = RuleDrafter::rule({.name = u" \t\n\u00A0"_s, .kind = u"Invoice"_s, .secondKind = u"any"_s,
                                          .fileType = u"docx"_s, .olderThanDays = -3, .trashAfterDays = 0},
                                         QString());
    EXPECT_EQ(unfit.name, u"New Rule"_s);
    EXPECT_EQ(unfit.createdFromPrompt, QString());
    for (const Rule &rule : {nothing, unfit}) {
        EXPECT_TRUE(rule.conditions.isEmpty());
        EXPECT_TRUE(rule.actions.isEmpty());
    }
    EXPECT_EQ(conditionsOf(RuleDrafter::rule({.kind = u"none"_s, .secondKind = u"receipt"_s, .fileType = u"PDF"_s,
                                              .olderThanDays = 1, .trashAfterDays = -1},
                                             QString())),
              (QStringList{u"kind is receipt"_s, u"age greaterThan 1"_s}));
    EXPECT_EQ(conditionsOf(RuleDrafter::rule(
                  {.kind = u"invoice"_s, .secondKind = u"invoice"_s, .fileType = u"screenshot"_s}, QString())),
              (QStringList{u"kind is invoice,invoice"_s, u"fileType is screenshot"_s}));

    // Move targets start at home unless rooted.
    for (const auto &[moveTo, expected] : std::initializer_list<std::pair<QString, QString>>{
             {u"Documents/Belege"_s, u"move ~/Documents/Belege"_s}, {u"~/Scans"_s, u"move ~/Scans"_s},
             {u"~Scans"_s, u"move ~Scans"_s}, {u"/media/archiv"_s, u"move /media/archiv"_s},
             {u" ~/x"_s, u"move ~/ ~/x"_s}, {QString(), QString()}}) {
        RuleDraft draft = emptyDraft();
        draft.moveTo = moveTo;
        EXPECT_EQ(actionsOf(RuleDrafter::rule(draft, QString())).join(u'|'), expected) << moveTo.toStdString();
    }
}

TEST(RuleDrafter, AnswerWithAMissingOrMistypedFieldIsAnError)
{
    RuleDraft full = emptyDraft();
    full.name = u"Scans"_s;
    full.olderThanDays = 3;
    const QJsonObject good = full.toJson();
    EXPECT_EQ(RuleDraft::fromJson(good), full);
    EXPECT_EQ(good.size(), 11);

    const auto refused = [&](const QString &key, const QJsonValue &value) {
        QJsonObject bad = good;
        if (value.isUndefined())
            bad.remove(key);
        else
            bad.insert(key, value);
        EXPECT_THROW(RuleDraft::fromJson(bad), JsonCoding::DecodeError) << qPrintable(key);
    };
    for (const QString &key : good.keys()) {
        refused(key, QJsonValue(QJsonValue::Undefined));
        refused(key, QJsonValue::Null);
        refused(key, good.value(key).isString() ? QJsonValue(5) : QJsonValue(u"5"_s));
        refused(key, QJsonArray{good.value(key)});
    }
    for (const QJsonValue &notWhole : {QJsonValue(2.5), QJsonValue(1e12), QJsonValue(true)})
        refused(u"trashAfterDays"_s, notWhole);
    // Keys the schema does not know are ignored.
    QJsonObject extra = good;
    extra.insert(u"comment"_s, u"sure"_s);
    EXPECT_EQ(RuleDraft::fromJson(extra), full);
}

TEST(RuleDrafter, Schema)
{
    const QByteArray text = RuleDraft::schema();
    const QJsonObject schema = JsonCoding::parseObject(text);
    EXPECT_EQ(schema.value(u"additionalProperties"), QJsonValue(false));
    const QStringList order{u"name"_s,          u"kind"_s,   u"secondKind"_s, u"fileType"_s,
                            u"nameContains"_s,  u"senderContains"_s, u"olderThanDays"_s, u"moveTo"_s,
                            u"renameTo"_s,      u"tags"_s,   u"trashAfterDays"_s};
    EXPECT_EQ(schema.value(u"required").toVariant().toStringList(), order);
    // The properties stand in the text in field order, which the model fills them in.
    qsizetype at = 0;
    for (const QString &key : order) {
        const qsizetype found = text.indexOf('"' + key.toUtf8() + "\":{\"type\"");
        EXPECT_GT(found, at) << qPrintable(key);
        at = found;
    }

    const QJsonObject props = schema.value(u"properties").toObject();
    const auto prop = [&](const QString &key, const QString &entry) { return props.value(key).toObject().value(entry); };
    const QStringList kinds{u"invoice"_s, u"receipt"_s,    u"contract"_s,  u"bankStatement"_s, u"payslip"_s,
                            u"letter"_s,  u"screenshot"_s, u"photo"_s,     u"installer"_s,     u"other"_s};
    EXPECT_EQ(prop(u"kind"_s, u"enum"_s).toVariant().toStringList(), kinds + QStringList{u"any"_s});
    EXPECT_EQ(prop(u"secondKind"_s, u"enum"_s).toVariant().toStringList(), kinds + QStringList{u"none"_s});
    EXPECT_EQ(prop(u"fileType"_s, u"enum"_s).toVariant().toStringList(),
              (QStringList{u"pdf"_s, u"image"_s, u"screenshot"_s, u"installer"_s, u"document"_s, u"archive"_s,
                           u"audio"_s, u"video"_s, u"any"_s}));
}

TEST(RuleTemplates, FiveStarterRulesInBothLanguages)
{
    // Key, folder, name, condition, actions and destination roots of each template.
    const auto summary = [](const RuleTemplates::Template &t) {
        return QStringList{t.id, t.folder == RuleTemplates::Folder::desktop ? u"desktop"_s : u"downloads"_s,
                           t.rule.name, conditionsOf(t.rule).join(u'+'), actionsOf(t.rule).join(u'+'),
                           t.destinationRoots.join(u'+')}
            .join(u" | "_s);
    };
    const QString receipt = u"rename {datum} {absender} {betrag} {waehrung}+move ~/Documents/"_s;
    const QStringList expectedDe{
        u"receipts | downloads | Belege | kind is invoice,receipt | "_s + receipt + u"Belege/{jahr}/{monat} | ~/Documents"_s,
        u"screenshots | desktop | Bildschirmfotos | fileType is screenshot | "
        "move ~/Pictures/Screenshots/{jahr}-{monat} | ~/Pictures"_s,
        u"installers | downloads | Alte Installer | fileType is installer | trashAfter 7 | "_s,
        u"letters | downloads | Verträge und Briefe | kind is contract,letter | "
        "move ~/Documents/Ablage/{art}/{absender} | ~/Documents"_s,
        u"finance | downloads | Kontoauszüge und Gehalt | kind is bankStatement,payslip | "
        "move ~/Documents/Finanzen/{art}/{jahr} | ~/Documents"_s};
    const QStringList expectedEn{
        u"receipts | downloads | Receipts | kind is invoice,receipt | "_s + receipt + u"Receipts/{jahr}/{monat} | ~/Documents"_s,
        u"screenshots | desktop | Screenshots | fileType is screenshot | "
        "move ~/Pictures/Screenshots/{jahr}-{monat} | ~/Pictures"_s,
        u"installers | downloads | Old installers | fileType is installer | trashAfter 7 | "_s,
        u"letters | downloads | Contracts and letters | kind is contract,letter | "
        "move ~/Documents/Filing/{art}/{absender} | ~/Documents"_s,
        u"finance | downloads | Statements and payslips | kind is bankStatement,payslip | "
        "move ~/Documents/Finance/{art}/{jahr} | ~/Documents"_s};

    const auto de = RuleTemplates::all(NameLanguage::de);
    const auto en = RuleTemplates::all(NameLanguage::en);
    QSet<QUuid> seen;
    qsizetype count = 0;
    for (const auto &[templates, expected] : {std::pair{de, expectedDe}, std::pair{en, expectedEn},
                                              std::pair{RuleTemplates::all(NameLanguage::en), expectedEn}}) {
        QStringList summaries;
        for (const RuleTemplates::Template &t : templates) {
            summaries.append(summary(t));
            EXPECT_TRUE(t.rule.isEnabled) << qPrintable(t.id);
            EXPECT_FALSE(t.rule.createdFromPrompt) << qPrintable(t.id);
            EXPECT_EQ(Rule::fromJsonData(t.rule.toJsonData()), t.rule) << qPrintable(t.id); // survives storage
            const QSet<QUuid> ids = identifiersOf(t.rule);
            EXPECT_EQ(ids.size(), 1 + t.rule.conditions.size() + t.rule.actions.size());
            count += ids.size();
            seen.unite(ids);
        }
        EXPECT_EQ(summaries, expected);
    }
    // Fresh identifiers everywhere, on every call and in every language.
    EXPECT_EQ(seen.size(), count);
    EXPECT_FALSE(seen.contains(QUuid()));

    // A German desktop names its own folders: the rules file into them.
    const TestSupport::ScopedUserDirs german(TestSupport::ScopedUserDirs::german());
    QStringList summaries;
    for (const RuleTemplates::Template &t : RuleTemplates::all(NameLanguage::de))
        summaries.append(summary(t));
    QStringList onGermanDesktop = expectedDe;
    onGermanDesktop.replaceInStrings(u"~/Documents"_s, u"~/Dokumente"_s);
    onGermanDesktop.replaceInStrings(u"~/Pictures"_s, u"~/Bilder"_s);
    EXPECT_EQ(summaries, onGermanDesktop);
}

// Which starter rules wait while no model can read (the README names them).
TEST(RuleTemplates, TheDocumentRulesNeedAReadingAndTheFileTypeRulesDoNot)
{
    for (const NameLanguage language : NameLanguages::allCases) {
        QStringList reading;
        for (const RuleTemplates::Template &t : RuleTemplates::all(language)) {
            if (t.rule.usesRecognition())
                reading.append(language == NameLanguage::en ? t.rule.name : t.id);
        }
        EXPECT_EQ(reading, language == NameLanguage::en
                               ? (QStringList{u"Receipts"_s, u"Contracts and letters"_s, u"Statements and payslips"_s})
                               : (QStringList{u"receipts"_s, u"letters"_s, u"finance"_s}));
    }
}

TEST(RuleDrafter, DraftAsksTheLocalModelAndMapsItsAnswer)
{
    RuleDraft answer = emptyDraft();
    answer.name = u"Invoices by year"_s;
    answer.kind = u"invoice"_s;
    answer.moveTo = u"~/Documents/{jahr}"_s;
    FakeModelServer server;
    server.queueChat(FakeModelServer::chatAnswer(answer.toJson()));
    const LocalModelClient client(server.baseUrl());
    const QString sentence = u"move invoices from Downloads to my documents folder by year"_s;

    const Rule rule = RuleDrafter::draft(sentence, client, testTimeout);
    EXPECT_EQ(rule.name, u"Invoices by year"_s);
    EXPECT_EQ(conditionsOf(rule), QStringList{u"kind is invoice"_s});
    EXPECT_EQ(actionsOf(rule), QStringList{u"move ~/Documents/{jahr}"_s});
    EXPECT_FALSE(rule.isEnabled);
    EXPECT_EQ(rule.createdFromPrompt, sentence);

    // The rest of the question is the model client's, tested with the model reader.
    const QJsonObject question = server.requests().last().json();
    EXPECT_EQ(question.value(u"messages").toArray(),
              (QJsonArray{QJsonObject{{u"role"_s, u"system"_s}, {u"content"_s, RuleDrafter::instructions()}},
                          QJsonObject{{u"role"_s, u"user"_s}, {u"content"_s, sentence}}}));
    EXPECT_EQ(question.value(u"response_format").toObject().value(u"json_schema").toObject().value(u"schema").toObject(),
              JsonCoding::parseObject(RuleDraft::schema()));
}

TEST(RuleDrafter, ABadAnswerOrNoServerIsAnErrorNeverHalfARule)
{
    QJsonObject lacking = emptyDraft().toJson();
    lacking.remove(u"tags"_s);
    QJsonObject mistyped = emptyDraft().toJson();
    mistyped.insert(u"olderThanDays"_s, u"30"_s);
    FakeModelServer server;
    const LocalModelClient client(server.baseUrl());
    for (const QByteArray &content : {QByteArray("Sure! Here is your rule: move invoices."), JsonCoding::serialize(lacking),
                                      JsonCoding::serialize(mistyped)}) {
        server.queueChat(chatText(content));
        try {
            RuleDrafter::draft(u"tag my scans"_s, client, testTimeout);
            ADD_FAILURE() << "a rule from " << content.constData();
        } catch (const LocalModelError &error) {
            EXPECT_EQ(error.reason(), LocalModelError::Reason::badAnswer) << content.constData();
        }
    }

    // The server fails the question (nothing scripted gives status 500).
    EXPECT_THROW(RuleDrafter::draft(u"tag my scans"_s, client, testTimeout), LocalModelError);

    // A port where nothing listens: no server, no rule.
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    const LocalModelClient nobody(QUrl(u"http://127.0.0.1:%1/v1"_s.arg(port)));
    EXPECT_THROW(RuleDrafter::draft(u"tag my scans"_s, nobody, testTimeout), LocalModelError);

    // Stopped while the server thinks: the draft ends then, not when its time is up.
    server.queueChat({200, {}, true});
    std::stop_source stop;
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.request_stop();
    });
    try {
        RuleDrafter::draft(u"tag my scans"_s, client, RuleDrafter::draftTimeout, stop.get_token());
        ADD_FAILURE() << "a rule from a stopped draft";
    } catch (const LocalModelError &error) {
        EXPECT_EQ(error.reason(), LocalModelError::Reason::stopped);
    }
    stopper.join();
}

TEST(RuleDrafter, ControlCharactersReachTheModelAsTheyAre)
{
    FakeModelServer server;
    const LocalModelClient client(server.baseUrl());
    QString sentence = u"  move \"scans\"\tto ~/Scans\r\n\u001B[31m\\u0000 \u2028end äöü €\n"_s;
    sentence.insert(5, QChar(u'\0'));
    server.queueChat(FakeModelServer::chatAnswer(emptyDraft().toJson()));
    const Rule rule = RuleDrafter::draft(sentence, client, testTimeout);
    EXPECT_EQ(rule.createdFromPrompt, sentence);
    const QJsonArray messages = server.requests().last().json().value(u"messages").toArray();
    EXPECT_EQ(messages[1].toObject().value(u"content").toString(), sentence);
}
