#include "RuleDrafter.h"

#include "JsonCoding.h"
#include "Recognition.h"

#include <QDeadlineTimer>
#include <QUuid>

namespace {

// Which fixed choices a property offers the model.
enum class Choices { free, kinds, secondKinds, fileTypes };

struct Property
{
    const char *name;
    bool isInteger;
    const char *description;
    Choices choices = Choices::free;
};

// The answer's properties in the order the model fills them.
constexpr std::array<Property, 11> properties{{
    {"name", false, "A short rule name, at most four words."},
    {"kind", false, "The kind of document the rule is about, or 'any'.", Choices::kinds},
    {"secondKind", false, "A second kind if the sentence names two (like invoices and receipts), else 'none'.",
     Choices::secondKinds},
    {"fileType", false, "The file type, or 'any'.", Choices::fileTypes},
    {"nameContains", false, "Text the file name must contain, or empty."},
    {"senderContains", false, "Text the sender must contain, or empty."},
    {"olderThanDays", true, "Only files older than this many days, or 0."},
    {"moveTo", false,
     "Folder to move to, starting with ~/ . May use {jahr}, {monat}, {absender}, {art}. Empty if no move."},
    {"renameTo", false,
     "New file name without extension. May use {datum}, {absender}, {betrag}, {waehrung}, {art}, {titel}, "
     "{original}. Empty if no rename."},
    {"tags", false, "Tags, comma-separated, or empty."},
    {"trashAfterDays", true, "Move to the Trash after this many days, or 0."},
}};

QByteArray choiceList(QStringList choices)
{
    QByteArray list;
    for (const QString &choice : choices) {
        if (!list.isEmpty())
            list += ',';
        list += LocalModelClient::jsonString(choice);
    }
    return list;
}

// The ten kinds in their order, then the word for "no kind".
QByteArray kindChoices(const QString &last)
{
    QStringList choices;
    for (const DocumentKind kind : DocumentKinds::allCases)
        choices.append(DocumentKinds::rawValue(kind));
    return choiceList(choices << last);
}

QByteArray fileTypeChoices()
{
    QStringList choices;
    for (const FileCategory category : FileCategories::allCases)
        choices.append(FileCategories::rawValue(category));
    return choiceList(choices << QStringLiteral("any"));
}

} // namespace

QByteArray RuleDraft::schema()
{
    // Written by hand so that the properties keep their order: a server that
    // turns the schema into a grammar fills the fields in this order.
    static const QByteArray text = [] {
        QByteArray schema = "{\"type\":\"object\",\"properties\":{";
        QByteArray required;
        for (const Property &property : properties) {
            const QByteArray name = LocalModelClient::jsonString(QString::fromLatin1(property.name));
            QByteArray choices;
            switch (property.choices) {
            case Choices::free:
                break;
            case Choices::kinds:
                choices = kindChoices(QStringLiteral("any"));
                break;
            case Choices::secondKinds:
                choices = kindChoices(QStringLiteral("none"));
                break;
            case Choices::fileTypes:
                choices = fileTypeChoices();
                break;
            }
            if (!required.isEmpty()) {
                schema += ',';
                required += ',';
            }
            schema += name + ":{\"type\":" + (property.isInteger ? "\"integer\"" : "\"string\"") + ",\"description\":"
                + LocalModelClient::jsonString(QString::fromUtf8(property.description));
            if (!choices.isEmpty())
                schema += ",\"enum\":[" + choices + ']';
            schema += '}';
            required += name;
        }
        schema += "},\"required\":[" + required + "],\"additionalProperties\":false}";
        return schema;
    }();
    return text;
}

QString RuleDraft::schemaName()
{
    return QStringLiteral("RuleDraft");
}

RuleDraft RuleDraft::fromJson(const QJsonObject &object)
{
    using namespace JsonCoding;
    RuleDraft draft;
    draft.name = requiredString(object, QStringLiteral("name"));
    draft.kind = requiredString(object, QStringLiteral("kind"));
    draft.secondKind = requiredString(object, QStringLiteral("secondKind"));
    draft.fileType = requiredString(object, QStringLiteral("fileType"));
    draft.nameContains = requiredString(object, QStringLiteral("nameContains"));
    draft.senderContains = requiredString(object, QStringLiteral("senderContains"));
    draft.olderThanDays = requiredInt(object, QStringLiteral("olderThanDays"));
    draft.moveTo = requiredString(object, QStringLiteral("moveTo"));
    draft.renameTo = requiredString(object, QStringLiteral("renameTo"));
    draft.tags = requiredString(object, QStringLiteral("tags"));
    draft.trashAfterDays = requiredInt(object, QStringLiteral("trashAfterDays"));
    return draft;
}

QJsonObject RuleDraft::toJson() const
{
    return QJsonObject{{QStringLiteral("name"), name},
                       {QStringLiteral("kind"), kind},
                       {QStringLiteral("secondKind"), secondKind},
                       {QStringLiteral("fileType"), fileType},
                       {QStringLiteral("nameContains"), nameContains},
                       {QStringLiteral("senderContains"), senderContains},
                       {QStringLiteral("olderThanDays"), olderThanDays},
                       {QStringLiteral("moveTo"), moveTo},
                       {QStringLiteral("renameTo"), renameTo},
                       {QStringLiteral("tags"), tags},
                       {QStringLiteral("trashAfterDays"), trashAfterDays}};
}

namespace RuleDrafter {

QString instructions()
{
    return QStringLiteral(
        "You turn a sentence about sorting files on a computer into a rule. Use only what the sentence says. "
        "Folders start with ~/ (for example ~/Documents/Belege/{jahr}/{monat}). "
        "Leave fields empty or 0 when the sentence does not mention them.");
}

Rule rule(const RuleDraft &draft, const QString &sentence)
{
    using Field = Condition::Field;
    using Operator = Condition::Operator;
    using Kind = RuleAction::Kind;
    const auto condition = [](Field field, Operator op, const QString &value) {
        return Condition{QUuid::createUuid(), field, op, value};
    };
    const auto action = [](Kind kind, const QString &value) { return RuleAction{QUuid::createUuid(), kind, value}; };

    QList<Condition> conditions;
    QStringList kinds;
    for (const QString &kind : {draft.kind, draft.secondKind}) {
        if (DocumentKinds::fromRawValue(kind))
            kinds.append(kind);
    }
    if (!kinds.isEmpty())
        conditions.append(condition(Field::kind, Operator::is, kinds.join(u',')));
    if (FileCategories::fromRawValue(draft.fileType))
        conditions.append(condition(Field::fileType, Operator::is, draft.fileType));
    if (!draft.nameContains.isEmpty())
        conditions.append(condition(Field::name, Operator::contains, draft.nameContains));
    if (!draft.senderContains.isEmpty())
        conditions.append(condition(Field::sender, Operator::contains, draft.senderContains));
    if (draft.olderThanDays > 0)
        conditions.append(condition(Field::age, Operator::greaterThan, QString::number(draft.olderThanDays)));

    QList<RuleAction> actions;
    if (!draft.renameTo.isEmpty())
        actions.append(action(Kind::rename, draft.renameTo));
    if (!draft.moveTo.isEmpty()) {
        const bool rooted = draft.moveTo.startsWith(u'~') || draft.moveTo.startsWith(u'/');
        actions.append(action(Kind::move, rooted ? draft.moveTo : QStringLiteral("~/") + draft.moveTo));
    }
    if (!draft.tags.isEmpty())
        actions.append(action(Kind::tag, draft.tags));
    if (draft.trashAfterDays > 0)
        actions.append(action(Kind::trashAfter, QString::number(draft.trashAfterDays)));

    const QString name = draft.name.trimmed();
    return Rule{QUuid::createUuid(), name.isEmpty() ? QStringLiteral("New Rule") : name, conditions, actions, false,
                sentence};
}

Rule draft(const QString &sentence, std::stop_token stop)
{
    return draft(sentence, LocalModelClient::fromEnvironment(), draftTimeout, std::move(stop));
}

Rule draft(const QString &sentence, const LocalModelClient &client, std::chrono::milliseconds timeout,
           std::stop_token stop)
{
    const QDeadlineTimer deadline(timeout);
    const QString model = client.chooseModel(std::min(timeout, std::chrono::milliseconds(10'000)), stop);
    const ModelQuestion question{instructions(), sentence, RuleDraft::schemaName(), RuleDraft::schema(), 0.0};
    const auto left = std::chrono::milliseconds(std::max<qint64>(1, deadline.remainingTime()));
    const QJsonObject answer = client.ask(model, question, left, std::move(stop));
    try {
        return rule(RuleDraft::fromJson(answer), sentence);
    } catch (const JsonCoding::DecodeError &error) {
        throw LocalModelError(LocalModelError::Reason::badAnswer,
                              QStringLiteral("The model's draft does not fit: %1").arg(error.message()));
    }
}

} // namespace RuleDrafter
