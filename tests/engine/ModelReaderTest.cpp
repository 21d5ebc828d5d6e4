#include "FakeModelServer.h"
#include "ModelReader.h"
#include "Recognition.h"

#include <QJsonArray>
#include <QTcpServer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QJsonObject answer(const QString &kind = QStringLiteral("invoice"))
{
    return ModelRecognition{kind, QStringLiteral("Druckerei Beispiel KG"), QStringLiteral("2026-10-07"), 58.9,
                            QStringLiteral("EUR"), QStringLiteral("Visitenkarten")}
        .toJson();
}

// A loopback port on which nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

TEST(ModelStatus, TellsWhetherTheModelCanBeUsed)
{
    FakeModelServer server;
    const LocalModelClient client(server.baseUrl());
    EXPECT_EQ(ModelStatus::current(false, client), ModelStatus::switchedOff);
    EXPECT_TRUE(server.requests().isEmpty()); // switched off: the server is not asked
    EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::available);
    EXPECT_TRUE(ModelStatus::current(true, client).isAvailable());

    EXPECT_EQ(ModelStatus::current(true, LocalModelClient(server.baseUrl(), QStringLiteral("missing"))), ModelStatus::notReady);
    server.setModelsReply({200, R"({"object":"list","data":[]})"});
    EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::notReady);
    server.setModelsReply({500, R"({"error":"loading"})"});
    EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::notReady);

    // No server, or one that never answers: not enabled, decided within half a second.
    EXPECT_EQ(ModelStatus::current(true, LocalModelClient(QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort())))),
              ModelStatus::notEnabled);
    server.setModelsReply({200, {}, true});
    EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::notEnabled);

    EXPECT_EQ(ModelStatus::fromRawValue(u"switchedOff"), ModelStatus::switchedOff);
    EXPECT_FALSE(ModelStatus::fromRawValue(u"SwitchedOff").has_value());
    EXPECT_EQ(ModelStatus(ModelStatus::deviceNotEligible).rawValue(), QStringLiteral("deviceNotEligible"));
}

TEST(ModelReader, SendsTheInstructionsPromptSchemaAndTemperature)
{
    FakeModelServer server;
    server.queueChat(FakeModelServer::chatAnswer(answer()));
    const ModelRecognition read =
        ModelReader::read(QStringLiteral("Druckerei Beispiel KG\nEndbetrag 58,90 €"), QStringLiteral("Druckerei.pdf"),
                          LocalModelClient(server.baseUrl()));
    EXPECT_EQ(read.kind, QStringLiteral("invoice"));
    EXPECT_EQ(read.sender, QStringLiteral("Druckerei Beispiel KG"));
    EXPECT_EQ(read.documentDate, QStringLiteral("2026-10-07"));
    EXPECT_DOUBLE_EQ(read.amount, 58.9);
    EXPECT_EQ(read.currency, QStringLiteral("EUR"));
    EXPECT_EQ(read.title, QStringLiteral("Visitenkarten"));

    const QList<FakeModelServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].path, "/v1/models");
    const QJsonObject body = requests[1].json();
    EXPECT_EQ(body.value(QStringLiteral("model")).toString(), QStringLiteral("test-model")); // the first one listed
    EXPECT_EQ(body.value(QStringLiteral("temperature")).toDouble(-1), 0.0);
    const QJsonArray messages = body.value(QStringLiteral("messages")).toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].toObject().value(QStringLiteral("role")).toString(), QStringLiteral("system"));
    const QString instructions = messages[0].toObject().value(QStringLiteral("content")).toString();
    EXPECT_EQ(instructions.size(), 266);
    EXPECT_TRUE(instructions.startsWith(QStringLiteral("You read business documents (invoices, receipts,")));
    EXPECT_EQ(messages[1].toObject().value(QStringLiteral("role")).toString(), QStringLiteral("user"));
    EXPECT_EQ(messages[1].toObject().value(QStringLiteral("content")).toString(),
              QStringLiteral("File name: Druckerei.pdf\n\nText:\nDruckerei Beispiel KG\nEndbetrag 58,90 €"));

    const QJsonObject format = body.value(QStringLiteral("response_format")).toObject();
    EXPECT_EQ(format.value(QStringLiteral("type")).toString(), QStringLiteral("json_schema"));
    const QJsonObject schema = format.value(QStringLiteral("json_schema")).toObject().value(QStringLiteral("schema")).toObject();
    const QJsonObject properties = schema.value(QStringLiteral("properties")).toObject();
    EXPECT_EQ(properties.keys().size(), 6);
    QJsonArray kinds;
    for (const DocumentKind kind : DocumentKinds::allCases)
        kinds.append(DocumentKinds::rawValue(kind));
    EXPECT_EQ(properties.value(QStringLiteral("kind")).toObject().value(QStringLiteral("enum")).toArray(), kinds);
    EXPECT_EQ(properties.value(QStringLiteral("amount")).toObject().value(QStringLiteral("type")).toString(), QStringLiteral("number"));
    EXPECT_EQ(properties.value(QStringLiteral("documentDate")).toObject().value(QStringLiteral("description")).toString(),
              QStringLiteral("The document date as YYYY-MM-DD (invoice date, not due date). Empty if none."));
    // The properties keep their order in the request.
    const QByteArray raw = requests[1].body;
    qsizetype last = -1;
    for (const char *key : {"\"kind\":{", "\"sender\":{", "\"documentDate\":{", "\"amount\":{", "\"currency\":{", "\"title\":{"}) {
        const qsizetype at = raw.indexOf(key);
        EXPECT_GT(at, last) << key;
        last = at;
    }
    EXPECT_EQ(ModelReader::prompt(QStringLiteral("x"), QString()), QStringLiteral("File name: \n\nText:\nx"));
}

TEST(ModelReader, AnswersThatDoNotFitAreErrors)
{
    FakeModelServer server;
    const LocalModelClient client(server.baseUrl(), QStringLiteral("other"));
    auto readReason = [&](std::chrono::milliseconds timeout = 5s) -> std::optional<LocalModelError::Reason> {
        try {
            ModelReader::read(QStringLiteral("Text"), QStringLiteral("a.pdf"), client, timeout);
            return std::nullopt;
        } catch (const LocalModelError &error) {
            return error.reason();
        }
    };
    QJsonObject missing = answer();
    missing.remove(QStringLiteral("title"));
    server.queueChat(FakeModelServer::chatAnswer(missing));
    EXPECT_EQ(readReason(), LocalModelError::Reason::badAnswer);

    QJsonObject wrongType = answer();
    wrongType.insert(QStringLiteral("amount"), QStringLiteral("58.90"));
    server.queueChat(FakeModelServer::chatAnswer(wrongType));
    EXPECT_EQ(readReason(), LocalModelError::Reason::badAnswer);

    server.queueChat({200, R"({"choices":[{"message":{"content":"Sure! Here is the JSON"}}]})"});
    EXPECT_EQ(readReason(), LocalModelError::Reason::badAnswer);
    server.queueChat({500, R"({"error":{"message":"model crashed"}})"});
    EXPECT_EQ(readReason(), LocalModelError::Reason::badStatus);

    // A server that takes the question and never answers is given up on.
    server.queueChat({200, {}, true});
    EXPECT_EQ(readReason(300ms), LocalModelError::Reason::timedOut);

    // Chunked answers are read whole.
    FakeModelServer::Reply chunked = FakeModelServer::chatAnswer(answer(QStringLiteral("receipt")));
    chunked.chunked = true;
    server.queueChat(chunked);
    EXPECT_EQ(readReason(), std::nullopt);
    EXPECT_EQ(server.requests().last().json().value(QStringLiteral("model")).toString(), QStringLiteral("other"));
}

TEST(LocalModelClient, ContactsOnlyLoopbackAddresses)
{
    FakeModelServer server;
    EXPECT_TRUE(LocalModelClient(server.baseUrl()).isLoopback());
    QUrl byName = server.baseUrl();
    byName.setHost(QStringLiteral("localhost"));
    EXPECT_EQ(LocalModelClient(byName).models(2s), (QStringList{QStringLiteral("test-model"), QStringLiteral("other")}));
    EXPECT_TRUE(LocalModelClient(QUrl(QStringLiteral("http://[::1]:11434/v1"))).isLoopback());

    for (const char *address : {"http://192.168.1.20:11434/v1", "http://10.0.0.1/v1", "http://example.org/v1",
                                "http://127.0.0.1.example.org:11434/v1", "https://127.0.0.1:11434/v1",
                                "http://0.0.0.0:11434/v1", "ftp://127.0.0.1/v1", "not a url"}) {
        const LocalModelClient client{QUrl(QString::fromLatin1(address))};
        EXPECT_FALSE(client.isLoopback()) << address;
        try {
            client.models(2s);
            ADD_FAILURE() << address << " was contacted";
        } catch (const LocalModelError &error) {
            EXPECT_EQ(error.reason(), LocalModelError::Reason::notLoopback) << address;
        }
        EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::notEnabled) << address;
    }

    // The environment cannot send the text elsewhere either.
    qputenv("APP_MODEL_URL", "http://192.0.2.1:11434/v1");
    EXPECT_FALSE(LocalModelClient::fromEnvironment().isLoopback());
    EXPECT_EQ(ModelStatus::current(true), ModelStatus::notEnabled);
    EXPECT_THROW(ModelReader::read(QStringLiteral("Text"), QStringLiteral("a.pdf")), LocalModelError);
    qunsetenv("APP_MODEL_URL");
    EXPECT_EQ(LocalModelClient::fromEnvironment().baseUrl(), QUrl(QStringLiteral("http://127.0.0.1:11434/v1")));
}
