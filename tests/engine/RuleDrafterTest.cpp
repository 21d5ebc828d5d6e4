#include "FakeModelServer.h"
#include "JsonCoding.h"
#include "RuleDrafter.h"
#include "RuleTemplates.h"

#include <QJsonArray>
#include <QSet>
#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

using Field = Condition::Field;
using Operator = Condition::Operator;
using Kind = RuleAction::Kind;

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
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), QString::fromUtf8(content)}};
    const QJsonObject body{{QStringLiteral("choices"),
                            QJsonArray{QJsonObject{{QStringLiteral("index"), 0}, {QStringLiteral("message"), message}}}}};
    return FakeModelServer::Reply{200, JsonCoding::serialize(body)};
}

QJsonObject lastQuestion(const FakeModelServer &server)
{
    return server.requests().last().json();
}

constexpr std::chrono::milliseconds testTimeout{20'000};

RuleDraft emptyDraft()
{
    RuleDraft draft;
    draft.kind = QStringLiteral("any");
    draft.secondKind = QStringLiteral("none");
    draft.fileType = QStringLiteral("any");
    return draft;
}

} // namespace

TEST(RuleDrafter, FullDraftMapsEveryFieldInFixedOrder)
{
    RuleDraft draft;
    draft.name = QStringLiteral("  Invoices by year \n");
    draft.kind = QStringLiteral("invoice");
    draft.secondKind = QStringLiteral("receipt");
    draft.fileType = QStringLiteral("pdf");
    draft.nameContains = QStringLiteral(" Rechnung ");
    draft.senderContains = QStringLiteral("Telekom");
    draft.olderThanDays = 30;
    draft.moveTo = QStringLiteral("Documents/Belege/{jahr}");
    draft.renameTo = QStringLiteral("{datum} {absender}");
    draft.tags = QStringLiteral("Steuer, 2026");
    draft.trashAfterDays = 14;
    const QString sentence = QStringLiteral("  move invoices from Downloads to my documents folder by year\n");

    const Rule rule = RuleDrafter::rule(draft, sentence);
    EXPECT_EQ(rule.name, QStringLiteral("Invoices by year"));
    EXPECT_FALSE(rule.isEnabled);
    EXPECT_EQ(rule.createdFromPrompt, sentence);
    EXPECT_EQ(conditionsOf(rule),
              (QStringList{QStringLiteral("kind is invoice,receipt"), QStringLiteral("fileType is pdf"),
                           QStringLiteral("name contains  Rechnung "), QStringLiteral("sender contains Telekom"),
                           QStringLiteral("age greaterThan 30")}));
    EXPECT_EQ(actionsOf(rule),
              (QStringList{QStringLiteral("rename {datum} {absender}"), QStringLiteral("move ~/Documents/Belege/{jahr}"),
                           QStringLiteral("tag Steuer, 2026"), QStringLiteral("trashAfter 14")}));
    EXPECT_EQ(identifiersOf(rule).size(), 1 + 5 + 4);
    EXPECT_FALSE(identifiersOf(rule).contains(QUuid()));
    // A second mapping of the same draft gets identifiers of its own.
    EXPECT_TRUE(identifiersOf(RuleDrafter::rule(draft, sentence)).intersect(identifiersOf(rule)).isEmpty());
}

TEST(RuleDrafter, ValuesThatDoNotFitAreLeftOut)
{
    const Rule nothing = RuleDrafter::rule(emptyDraft(), QStringLiteral("do something"));
    EXPECT_TRUE(nothing.conditions.isEmpty());
    EXPECT_TRUE(nothing.actions.isEmpty());
    EXPECT_EQ(nothing.name, QStringLiteral("New Rule"));
    EXPECT_EQ(nothing.createdFromPrompt, QStringLiteral("do something"));

    RuleDraft draft = emptyDraft();
    draft.name = QStringLiteral(" \t\n\u00A0");
    draft.kind = QStringLiteral("Invoice");
    draft.secondKind = QStringLiteral("any");
    draft.fileType = QStringLiteral("docx");
    draft.olderThanDays = -3;
    draft.trashAfterDays = 0;
    Rule rule = RuleDrafter::rule(draft, QString());
    EXPECT_EQ(rule.name, QStringLiteral("New Rule"));
    EXPECT_TRUE(rule.conditions.isEmpty());
    EXPECT_TRUE(rule.actions.isEmpty());
    EXPECT_EQ(rule.createdFromPrompt, QString());

    draft.fileType = QStringLiteral("PDF");
    draft.kind = QStringLiteral("none");
    draft.secondKind = QStringLiteral("receipt");
    draft.trashAfterDays = -1;
    draft.olderThanDays = 1;
    EXPECT_EQ(conditionsOf(RuleDrafter::rule(draft, QString())),
              (QStringList{QStringLiteral("kind is receipt"), QStringLiteral("age greaterThan 1")}));

    draft = emptyDraft();
    draft.kind = QStringLiteral("invoice");
    draft.secondKind = QStringLiteral("invoice");
    draft.fileType = QStringLiteral("screenshot");
    EXPECT_EQ(conditionsOf(RuleDrafter::rule(draft, QString())),
              (QStringList{QStringLiteral("kind is invoice,invoice"), QStringLiteral("fileType is screenshot")}));
}

TEST(RuleDrafter, MoveTargetsStartAtHomeUnlessRooted)
{
    const auto moveOf = [](const QString &moveTo) {
        RuleDraft draft = emptyDraft();
        draft.moveTo = moveTo;
        return actionsOf(RuleDrafter::rule(draft, QString()));
    };
    EXPECT_EQ(moveOf(QStringLiteral("Documents/Belege")), QStringList{QStringLiteral("move ~/Documents/Belege")});
    EXPECT_EQ(moveOf(QStringLiteral("~/Scans")), QStringList{QStringLiteral("move ~/Scans")});
    EXPECT_EQ(moveOf(QStringLiteral("~Scans")), QStringList{QStringLiteral("move ~Scans")});
    EXPECT_EQ(moveOf(QStringLiteral("/media/archiv")), QStringList{QStringLiteral("move /media/archiv")});
    EXPECT_EQ(moveOf(QStringLiteral(" ~/x")), QStringList{QStringLiteral("move ~/ ~/x")});
    EXPECT_TRUE(moveOf(QString()).isEmpty());
}

TEST(RuleDrafter, AnswerWithAMissingOrMistypedFieldIsAnError)
{
    RuleDraft full = emptyDraft();
    full.name = QStringLiteral("Scans");
    full.olderThanDays = 3;
    const QJsonObject good = full.toJson();
    EXPECT_EQ(RuleDraft::fromJson(good), full);
    EXPECT_EQ(good.size(), 11);

    for (const QString &key : good.keys()) {
        QJsonObject missing = good;
        missing.remove(key);
        EXPECT_THROW(RuleDraft::fromJson(missing), JsonCoding::DecodeError) << qPrintable(key);
        QJsonObject nulled = good;
        nulled.insert(key, QJsonValue::Null);
        EXPECT_THROW(RuleDraft::fromJson(nulled), JsonCoding::DecodeError) << qPrintable(key);
        QJsonObject retyped = good;
        retyped.insert(key, good.value(key).isString() ? QJsonValue(5) : QJsonValue(QStringLiteral("5")));
        EXPECT_THROW(RuleDraft::fromJson(retyped), JsonCoding::DecodeError) << qPrintable(key);
        QJsonObject array = good;
        array.insert(key, QJsonArray{good.value(key)});
        EXPECT_THROW(RuleDraft::fromJson(array), JsonCoding::DecodeError) << qPrintable(key);
    }
    for (const QJsonValue &notWhole : {QJsonValue(2.5), QJsonValue(1e12), QJsonValue(true)}) {
        QJsonObject bad = good;
        bad.insert(QStringLiteral("trashAfterDays"), notWhole);
        EXPECT_THROW(RuleDraft::fromJson(bad), JsonCoding::DecodeError);
    }
    // Keys the schema does not know are ignored.
    QJsonObject extra = good;
    extra.insert(QStringLiteral("comment"), QStringLiteral("sure"));
    EXPECT_EQ(RuleDraft::fromJson(extra), full);
}

TEST(RuleDrafter, InstructionsAndSchema)
{
    EXPECT_EQ(RuleDrafter::instructions(),
              QStringLiteral("You turn a sentence about sorting files on a computer into a rule. Use only what the sentence "
                             "says. Folders start with ~/ (for example ~/Documents/Belege/{jahr}/{monat}). Leave fields "
                             "empty or 0 when the sentence does not mention them."));

    const QByteArray text = RuleDraft::schema();
    const QJsonObject schema = JsonCoding::parseObject(text);
    EXPECT_EQ(RuleDraft::schemaName(), QStringLiteral("RuleDraft"));
    EXPECT_EQ(schema.value(QStringLiteral("type")).toString(), QStringLiteral("object"));
    EXPECT_FALSE(schema.contains(QStringLiteral("description")));
    EXPECT_EQ(schema.value(QStringLiteral("additionalProperties")), QJsonValue(false));
    const QStringList order{QStringLiteral("name"),         QStringLiteral("kind"),           QStringLiteral("secondKind"),
                            QStringLiteral("fileType"),     QStringLiteral("nameContains"),   QStringLiteral("senderContains"),
                            QStringLiteral("olderThanDays"), QStringLiteral("moveTo"),        QStringLiteral("renameTo"),
                            QStringLiteral("tags"),         QStringLiteral("trashAfterDays")};
    QStringList required;
    for (const QJsonValue &key : schema.value(QStringLiteral("required")).toArray())
        required.append(key.toString());
    EXPECT_EQ(required, order);
    // The properties stand in the text in field order, which the model fills them in.
    qsizetype at = 0;
    for (const QString &key : order) {
        const qsizetype found = text.indexOf('"' + key.toUtf8() + "\":{\"type\"");
        EXPECT_GT(found, at) << qPrintable(key);
        at = found;
    }

    const QJsonObject props = schema.value(QStringLiteral("properties")).toObject();
    EXPECT_EQ(props.size(), 11);
    const auto prop = [&](const char *key) { return props.value(QLatin1String(key)).toObject(); };
    const auto description = [&](const char *key) { return prop(key).value(QStringLiteral("description")).toString(); };
    const auto choices = [&](const char *key) {
        QStringList out;
        for (const QJsonValue &v : prop(key).value(QStringLiteral("enum")).toArray())
            out.append(v.toString());
        return out;
    };
    EXPECT_EQ(description("tags"), QStringLiteral("Tags, comma-separated, or empty."));
    EXPECT_EQ(description("trashAfterDays"), QStringLiteral("Move to the Trash after this many days, or 0."));

    const QStringList kinds{QStringLiteral("invoice"), QStringLiteral("receipt"),  QStringLiteral("contract"),
                            QStringLiteral("bankStatement"), QStringLiteral("payslip"), QStringLiteral("letter"),
                            QStringLiteral("screenshot"), QStringLiteral("photo"), QStringLiteral("installer"),
                            QStringLiteral("other")};
    EXPECT_EQ(choices("kind"), kinds + QStringList{QStringLiteral("any")});
    EXPECT_EQ(choices("secondKind"), kinds + QStringList{QStringLiteral("none")});
    EXPECT_EQ(choices("fileType"),
              (QStringList{QStringLiteral("pdf"), QStringLiteral("image"), QStringLiteral("screenshot"),
                           QStringLiteral("installer"), QStringLiteral("document"), QStringLiteral("archive"),
                           QStringLiteral("audio"), QStringLiteral("video"), QStringLiteral("any")}));
    for (const char *key : {"name", "nameContains", "senderContains", "moveTo", "renameTo", "tags"}) {
        EXPECT_EQ(prop(key).value(QStringLiteral("type")).toString(), QStringLiteral("string")) << key;
        EXPECT_FALSE(prop(key).contains(QStringLiteral("enum"))) << key;
    }
    EXPECT_EQ(prop("olderThanDays").value(QStringLiteral("type")).toString(), QStringLiteral("integer"));
    EXPECT_EQ(prop("trashAfterDays").value(QStringLiteral("type")).toString(), QStringLiteral("integer"));
}

TEST(RuleTemplates, FiveStarterRulesInBothLanguages)
{
    const auto de = RuleTemplates::all(NameLanguage::de);
    const auto en = RuleTemplates::all(NameLanguage::en);
    ASSERT_EQ(de.size(), 5);
    ASSERT_EQ(en.size(), 5);

    struct Expected
    {
        QString id;
        RuleTemplates::Folder folder;
        QString nameDe, nameEn;
        QString condition;
        QStringList actionsDe, actionsEn;
        QStringList roots;
    };
    const QStringList documents{QStringLiteral("~/Documents")};
    const QList<Expected> expected{
        {QStringLiteral("receipts"), RuleTemplates::Folder::downloads, QStringLiteral("Belege"), QStringLiteral("Receipts"),
         QStringLiteral("kind is invoice,receipt"),
         {QStringLiteral("rename {datum} {absender} {betrag} {waehrung}"), QStringLiteral("move ~/Documents/Belege/{jahr}/{monat}")},
         {QStringLiteral("rename {datum} {absender} {betrag} {waehrung}"),
          QStringLiteral("move ~/Documents/Receipts/{jahr}/{monat}")},
         documents},
        {QStringLiteral("screenshots"), RuleTemplates::Folder::desktop, QStringLiteral("Bildschirmfotos"),
         QStringLiteral("Screenshots"), QStringLiteral("fileType is screenshot"),
         {QStringLiteral("move ~/Pictures/Screenshots/{jahr}-{monat}")},
         {QStringLiteral("move ~/Pictures/Screenshots/{jahr}-{monat}")},
         {QStringLiteral("~/Pictures")}},
        {QStringLiteral("installers"), RuleTemplates::Folder::downloads, QStringLiteral("Alte Installer"),
         QStringLiteral("Old installers"), QStringLiteral("fileType is installer"), {QStringLiteral("trashAfter 7")},
         {QStringLiteral("trashAfter 7")}, {}},
        {QStringLiteral("letters"), RuleTemplates::Folder::downloads, QStringLiteral("Verträge und Briefe"),
         QStringLiteral("Contracts and letters"), QStringLiteral("kind is contract,letter"),
         {QStringLiteral("move ~/Documents/Ablage/{art}/{absender}")}, {QStringLiteral("move ~/Documents/Filing/{art}/{absender}")},
         documents},
        {QStringLiteral("finance"), RuleTemplates::Folder::downloads, QStringLiteral("Kontoauszüge und Gehalt"),
         QStringLiteral("Statements and payslips"), QStringLiteral("kind is bankStatement,payslip"),
         {QStringLiteral("move ~/Documents/Finanzen/{art}/{jahr}")}, {QStringLiteral("move ~/Documents/Finance/{art}/{jahr}")},
         documents},
    };
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const Expected &x = expected[i];
        for (const auto &[templates, german] : {std::pair{de, true}, std::pair{en, false}}) {
            const RuleTemplates::Template &t = templates[i];
            SCOPED_TRACE(qPrintable(x.id + (german ? QStringLiteral(" de") : QStringLiteral(" en"))));
            EXPECT_EQ(t.id, x.id);
            EXPECT_EQ(t.folder, x.folder);
            EXPECT_EQ(t.rule.name, german ? x.nameDe : x.nameEn);
            EXPECT_TRUE(t.rule.isEnabled);
            EXPECT_FALSE(t.rule.createdFromPrompt);
            EXPECT_EQ(conditionsOf(t.rule), QStringList{x.condition});
            EXPECT_EQ(actionsOf(t.rule), german ? x.actionsDe : x.actionsEn);
            EXPECT_EQ(t.destinationRoots, x.roots);
            // Every rule survives its stored form.
            EXPECT_EQ(Rule::fromJsonData(t.rule.toJsonData()), t.rule);
        }
    }

    // Fresh identifiers everywhere, on every call and in every language.
    QSet<QUuid> seen;
    qsizetype count = 0;
    for (const auto &templates : {de, en, RuleTemplates::all(NameLanguage::en)}) {
        for (const RuleTemplates::Template &t : templates) {
            const QSet<QUuid> ids = identifiersOf(t.rule);
            EXPECT_EQ(ids.size(), 1 + t.rule.conditions.size() + t.rule.actions.size());
            count += ids.size();
            seen.unite(ids);
        }
    }
    EXPECT_EQ(seen.size(), count);
    EXPECT_FALSE(seen.contains(QUuid()));
}

TEST(RuleDrafter, DraftAsksTheLocalModelAndMapsItsAnswer)
{
    RuleDraft answer = emptyDraft();
    answer.name = QStringLiteral("Invoices by year");
    answer.kind = QStringLiteral("invoice");
    answer.moveTo = QStringLiteral("~/Documents/{jahr}");
    FakeModelServer server;
    server.queueChat(FakeModelServer::chatAnswer(answer.toJson()));
    const LocalModelClient client(server.baseUrl());
    const QString sentence = QStringLiteral("move invoices from Downloads to my documents folder by year");

    const Rule rule = RuleDrafter::draft(sentence, client, testTimeout);
    EXPECT_EQ(rule.name, QStringLiteral("Invoices by year"));
    EXPECT_EQ(conditionsOf(rule), QStringList{QStringLiteral("kind is invoice")});
    EXPECT_EQ(actionsOf(rule), QStringList{QStringLiteral("move ~/Documents/{jahr}")});
    EXPECT_FALSE(rule.isEnabled);
    EXPECT_EQ(rule.createdFromPrompt, sentence);

    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests().last().path, "/v1/chat/completions");
    const QJsonObject question = lastQuestion(server);
    EXPECT_EQ(question.value(QStringLiteral("model")).toString(), QStringLiteral("test-model"));
    EXPECT_EQ(question.value(QStringLiteral("temperature")).toDouble(-1), 0.0);
    const QJsonArray messages = question.value(QStringLiteral("messages")).toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].toObject().value(QStringLiteral("role")).toString(), QStringLiteral("system"));
    EXPECT_EQ(messages[0].toObject().value(QStringLiteral("content")).toString(), RuleDrafter::instructions());
    EXPECT_EQ(messages[1].toObject().value(QStringLiteral("role")).toString(), QStringLiteral("user"));
    EXPECT_EQ(messages[1].toObject().value(QStringLiteral("content")).toString(), sentence);
    const QJsonObject format = question.value(QStringLiteral("response_format")).toObject();
    EXPECT_EQ(format.value(QStringLiteral("type")).toString(), QStringLiteral("json_schema"));
    EXPECT_EQ(format.value(QStringLiteral("json_schema")).toObject().value(QStringLiteral("schema")).toObject(),
              JsonCoding::parseObject(RuleDraft::schema()));
}

TEST(RuleDrafter, ABadAnswerOrNoServerIsAnErrorNeverHalfARule)
{
    QJsonObject lacking = emptyDraft().toJson();
    lacking.remove(QStringLiteral("tags"));
    QJsonObject mistyped = emptyDraft().toJson();
    mistyped.insert(QStringLiteral("olderThanDays"), QStringLiteral("30"));
    const QList<QByteArray> answers{
        "Sure! Here is your rule: move invoices.",
        R"({"name":"Half)",
        "[]",
        JsonCoding::serialize(lacking),
        JsonCoding::serialize(mistyped),
    };
    FakeModelServer server;
    const LocalModelClient client(server.baseUrl());
    for (const QByteArray &content : answers) {
        server.queueChat(chatText(content));
        try {
            RuleDrafter::draft(QStringLiteral("tag my scans"), client, testTimeout);
            ADD_FAILURE() << "a rule from " << content.constData();
        } catch (const LocalModelError &error) {
            EXPECT_EQ(error.reason(), LocalModelError::Reason::badAnswer) << content.constData();
        }
    }

    // The server fails the question (nothing scripted gives status 500).
    EXPECT_THROW(RuleDrafter::draft(QStringLiteral("tag my scans"), client, testTimeout), LocalModelError);

    // A port where nothing listens: no server, no rule.
    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    const LocalModelClient nobody(QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(port)));
    EXPECT_THROW(RuleDrafter::draft(QStringLiteral("tag my scans"), nobody, testTimeout), LocalModelError);
}

TEST(RuleDrafter, LongSentencesAndControlCharactersReachTheModelAsTheyAre)
{
    FakeModelServer server;
    const LocalModelClient client(server.baseUrl());

    QString control = QStringLiteral("  move \"scans\"\tto ~/Scans\r\n\u001B[31m\\u0000 \u2028end\n");
    control.insert(5, QChar(u'\0'));
    QString longSentence;
    while (longSentence.size() < 100'000)
        longSentence += QStringLiteral("sort invoices by year äöü € ");
    longSentence.truncate(100'000);

    for (const QString &sentence : {control, longSentence}) {
        server.queueChat(FakeModelServer::chatAnswer(emptyDraft().toJson()));
        const Rule rule = RuleDrafter::draft(sentence, client, testTimeout);
        EXPECT_EQ(rule.createdFromPrompt, sentence);
        EXPECT_EQ(rule.name, QStringLiteral("New Rule"));
        const QJsonArray messages = lastQuestion(server).value(QStringLiteral("messages")).toArray();
        EXPECT_EQ(messages[1].toObject().value(QStringLiteral("content")).toString(), sentence);
    }
}
