#include "ModelReader.h"

#include "Recognition.h"

#include <QDeadlineTimer>
#include <QJsonValue>

namespace {

constexpr std::chrono::milliseconds statusTimeout{450};

QString requiredText(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isString())
        throw LocalModelError(LocalModelError::Reason::badAnswer,
                              QStringLiteral("The model's answer has no text \"%1\".").arg(QLatin1String(key)));
    return value.toString();
}

} // namespace

ModelStatus ModelStatus::current(bool enabledInSettings)
{
    if (!enabledInSettings)
        return switchedOff;
    return current(true, LocalModelClient::fromEnvironment());
}

ModelStatus ModelStatus::current(bool enabledInSettings, const LocalModelClient &client, QString *chosen,
                                 std::stop_token stop)
{
    if (!enabledInSettings)
        return switchedOff;
    try {
        const QString model = client.chooseModel(statusTimeout, std::move(stop));
        if (chosen)
            *chosen = model;
        return available;
    } catch (const LocalModelError &error) {
        switch (error.reason()) {
        case LocalModelError::Reason::notLoopback:
        case LocalModelError::Reason::unreachable:
        case LocalModelError::Reason::timedOut:
        case LocalModelError::Reason::stopped:
            return notEnabled;
        case LocalModelError::Reason::badStatus:
        case LocalModelError::Reason::badAnswer:
            break;
        }
        return notReady;
    }
}

std::optional<ModelStatus> ModelStatus::fromRawValue(QStringView raw)
{
    for (const Value value : {available, deviceNotEligible, notEnabled, notReady, switchedOff})
        if (ModelStatus(value).rawValue() == raw)
            return ModelStatus(value);
    return std::nullopt;
}

QString ModelStatus::rawValue() const
{
    switch (m_value) {
    case available:
        return QStringLiteral("available");
    case deviceNotEligible:
        return QStringLiteral("deviceNotEligible");
    case notEnabled:
        return QStringLiteral("notEnabled");
    case notReady:
        return QStringLiteral("notReady");
    case switchedOff:
        return QStringLiteral("switchedOff");
    }
    return {};
}

ModelRecognition ModelRecognition::fromJson(const QJsonObject &object)
{
    ModelRecognition answer;
    answer.kind = requiredText(object, "kind");
    answer.sender = requiredText(object, "sender");
    answer.documentDate = requiredText(object, "documentDate");
    const QJsonValue amount = object.value(QLatin1String("amount"));
    if (!amount.isDouble())
        throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model's answer has no number \"amount\"."));
    answer.amount = amount.toDouble();
    answer.currency = requiredText(object, "currency");
    answer.title = requiredText(object, "title");
    return answer;
}

QJsonObject ModelRecognition::toJson() const
{
    return QJsonObject{{QStringLiteral("kind"), kind},         {QStringLiteral("sender"), sender},
                       {QStringLiteral("documentDate"), documentDate}, {QStringLiteral("amount"), amount},
                       {QStringLiteral("currency"), currency}, {QStringLiteral("title"), title}};
}

namespace ModelReader {

QString instructions()
{
    return QStringLiteral(
        "You read business documents (invoices, receipts, contracts, bank statements, payslips, letters) in German or "
        "English and fill in the fields. Copy names, dates, and amounts exactly from the text. Never invent values: "
        "leave a field empty when the text does not say it.");
}

QString prompt(const QString &text, const QString &fileName)
{
    return QStringLiteral("File name: ") + fileName + QStringLiteral("\n\nText:\n") + text;
}

QString schemaName()
{
    return QStringLiteral("ModelRecognition");
}

QByteArray schema()
{
    // Written by hand so that the properties keep their order: a server that
    // turns the schema into a grammar fills the fields in this order.
    static const QByteArray text = [] {
        QByteArray kinds;
        for (const DocumentKind kind : DocumentKinds::allCases) {
            if (!kinds.isEmpty())
                kinds += ',';
            kinds += LocalModelClient::jsonString(DocumentKinds::rawValue(kind));
        }
        auto property = [](const char *name, const char *type, const char *description) {
            return QByteArray("\"") + name + "\":{\"type\":\"" + type + "\",\"description\":"
                + LocalModelClient::jsonString(QString::fromUtf8(description));
        };
        QByteArray schema = "{\"type\":\"object\",\"properties\":{";
        schema += property("kind", "string", "The kind of document.") + ",\"enum\":[" + kinds + "]},";
        schema += property("sender", "string", "The company or person who issued the document, without address. Empty if unknown.") + "},";
        schema += property("documentDate", "string", "The document date as YYYY-MM-DD (invoice date, not due date). Empty if none.") + "},";
        schema += property("amount", "number", "The total amount to pay or paid, as a plain number like 1234.56. 0 if none.") + "},";
        schema += property("currency", "string", "ISO currency code like EUR, USD, GBP, CHF. Empty if none.") + "},";
        schema += property("title", "string", "A short title of at most five words, like 'Server hosting October'.") + "}";
        schema += "},\"required\":[\"kind\",\"sender\",\"documentDate\",\"amount\",\"currency\",\"title\"],"
                  "\"additionalProperties\":false}";
        return schema;
    }();
    return text;
}

ModelRecognition read(const QString &text, const QString &fileName)
{
    return read(text, fileName, LocalModelClient::fromEnvironment());
}

ModelRecognition read(const QString &text, const QString &fileName, const QString &model, std::stop_token stop)
{
    const ModelQuestion question{instructions(), prompt(text, fileName), schemaName(), schema(), 0.0};
    return ModelRecognition::fromJson(
        LocalModelClient::fromEnvironment().ask(model, question, readTimeout, std::move(stop)));
}

ModelRecognition read(const QString &text, const QString &fileName, const LocalModelClient &client,
                      std::chrono::milliseconds timeout, std::stop_token stop)
{
    const QDeadlineTimer deadline(timeout);
    const QString model = client.chooseModel(std::min(timeout, std::chrono::milliseconds(10'000)), stop);
    const ModelQuestion question{instructions(), prompt(text, fileName), schemaName(), schema(), 0.0};
    const auto left = std::chrono::milliseconds(std::max<qint64>(1, deadline.remainingTime()));
    return ModelRecognition::fromJson(client.ask(model, question, left, std::move(stop)));
}

} // namespace ModelReader
