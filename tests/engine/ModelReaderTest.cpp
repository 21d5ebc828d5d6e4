#include "FakeModelServer.h"
#include "FullModelServer.h"
#include "ModelReader.h"
#include "Recognition.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

QJsonObject answer(const QString &kind = u"invoice"_s)
{
    return ModelRecognition{kind, u"Druckerei Beispiel KG"_s, u"2026-10-07"_s, 58.9, u"EUR"_s, u"Visitenkarten"_s}.toJson();
}

// A loopback port on which nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Why the step failed, or nothing when it went through.
template<typename Step>
std::optional<LocalModelError::Reason> reasonOf(Step step)
{
    try {
        step();
        return std::nullopt;
    } catch (const LocalModelError &error) {
        return error.reason();
    }
}

// The value at a path of keys in a JSON object.
QJsonValue at(QJsonObject object, const QStringList &keys)
{
    for (qsizetype i = 0; i + 1 < keys.size(); ++i)
        object = object.value(keys[i]).toObject();
    return object.value(keys.last());
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

    EXPECT_EQ(ModelStatus::current(true, LocalModelClient(server.baseUrl(), u"missing"_s)), ModelStatus::notReady);
    server.setModelsReply({200, R"({"object":"list","data":[]})"});
    EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::notReady);
    server.setModelsReply({500, R"({"error":"loading"})"});
    EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::notReady);

    // No server, or one that never answers: not enabled, decided within half a second.
    EXPECT_EQ(ModelStatus::current(true, LocalModelClient(QUrl(u"http://127.0.0.1:%1/v1"_s.arg(closedPort())))),
              ModelStatus::notEnabled);
    server.setModelsReply({200, {}, true});
    EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::notEnabled);

    EXPECT_EQ(ModelStatus::fromRawValue(u"switchedOff"), ModelStatus::switchedOff);
    EXPECT_FALSE(ModelStatus::fromRawValue(u"SwitchedOff").has_value());
    EXPECT_EQ(ModelStatus(ModelStatus::deviceNotEligible).rawValue(), u"deviceNotEligible"_s);
}

TEST(ModelReader, SendsTheInstructionsPromptSchemaAndTemperature)
{
    FakeModelServer server;
    server.queueChat(FakeModelServer::chatAnswer(answer()));
    const ModelRecognition read = ModelReader::read(u"Druckerei Beispiel KG\nEndbetrag 58,90 €"_s, u"Druckerei.pdf"_s,
                                                    LocalModelClient(server.baseUrl()));
    EXPECT_EQ(read.toJson(), answer());

    const QList<FakeModelServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[0].path, "/v1/models");
    const QJsonObject body = requests[1].json();
    EXPECT_EQ(body.value(u"model"_s).toString(), u"test-model"_s); // the first one listed
    EXPECT_EQ(body.value(u"temperature"_s).toDouble(-1), 0.0);
    const QJsonArray messages = body.value(u"messages"_s).toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(at(messages[0].toObject(), {u"role"_s}), u"system"_s);
    const QString instructions = at(messages[0].toObject(), {u"content"_s}).toString();
    EXPECT_EQ(instructions.size(), 266);
    EXPECT_TRUE(instructions.startsWith(u"You read business documents (invoices, receipts,"_s));
    EXPECT_EQ(at(messages[1].toObject(), {u"role"_s}), u"user"_s);
    EXPECT_EQ(at(messages[1].toObject(), {u"content"_s}),
              u"File name: Druckerei.pdf\n\nText:\nDruckerei Beispiel KG\nEndbetrag 58,90 €"_s);
    EXPECT_EQ(ModelReader::prompt(u"x"_s, QString()), u"File name: \n\nText:\nx"_s);

    EXPECT_EQ(at(body, {u"response_format"_s, u"type"_s}), u"json_schema"_s);
    const QJsonObject properties = at(body, {u"response_format"_s, u"json_schema"_s, u"schema"_s, u"properties"_s}).toObject();
    EXPECT_EQ(properties.keys().size(), 6);
    QJsonArray kinds;
    for (const DocumentKind kind : DocumentKinds::allCases)
        kinds.append(DocumentKinds::rawValue(kind));
    EXPECT_EQ(at(properties, {u"kind"_s, u"enum"_s}).toArray(), kinds);
    EXPECT_EQ(at(properties, {u"amount"_s, u"type"_s}), u"number"_s);
    EXPECT_EQ(at(properties, {u"documentDate"_s, u"description"_s}),
              u"The document date as YYYY-MM-DD (invoice date, not due date). Empty if none."_s);
    // The properties keep their order in the request.
    qsizetype last = -1;
    for (const char *key : {"\"kind\":{", "\"sender\":{", "\"documentDate\":{", "\"amount\":{", "\"currency\":{", "\"title\":{"}) {
        const qsizetype found = requests[1].body.indexOf(key);
        EXPECT_GT(found, last) << key;
        last = found;
    }
}

TEST(ModelReader, AnswersThatDoNotFitAreErrors)
{
    FakeModelServer server;
    const LocalModelClient client(server.baseUrl(), u"other"_s);
    const auto reasonFor = [&](const FakeModelServer::Reply &reply, std::chrono::milliseconds timeout = 5s) {
        server.queueChat(reply);
        return reasonOf([&] { ModelReader::read(u"Text"_s, u"a.pdf"_s, client, timeout); });
    };
    QJsonObject missing = answer();
    missing.remove(u"title"_s);
    EXPECT_EQ(reasonFor(FakeModelServer::chatAnswer(missing)), LocalModelError::Reason::badAnswer);
    QJsonObject wrongType = answer();
    wrongType.insert(u"amount"_s, u"58.90"_s);
    EXPECT_EQ(reasonFor(FakeModelServer::chatAnswer(wrongType)), LocalModelError::Reason::badAnswer);
    EXPECT_EQ(reasonFor({200, R"({"choices":[{"message":{"content":"Sure! Here is the JSON"}}]})"}),
              LocalModelError::Reason::badAnswer);
    EXPECT_EQ(reasonFor({500, R"({"error":{"message":"model crashed"}})"}), LocalModelError::Reason::badStatus);
    // A server that takes the question and never answers is given up on.
    EXPECT_EQ(reasonFor({200, {}, true}, 300ms), LocalModelError::Reason::timedOut);

    // Sizes beyond any answer are refused before they take part in a sum.
    for (const char *header : {"Transfer-Encoding: chunked\r\n\r\n7ffffffffffffffe\r\n{}\r\n0\r\n\r\n",
                                     "Transfer-Encoding: chunked\r\n\r\n7ffffffffffffffffe\r\n{}\r\n0\r\n\r\n",
                                     "Content-Length: 9223372036854775807\r\n\r\n{}", "Content-Length: -2\r\n\r\n{}"}) {
        FakeModelServer::Reply hostile;
        hostile.raw = QByteArray("HTTP/1.1 200 OK\r\n") + header;
        EXPECT_EQ(reasonFor(hostile), LocalModelError::Reason::badAnswer) << header;
    }

    // Chunked answers are read whole.
    FakeModelServer::Reply chunked = FakeModelServer::chatAnswer(answer(u"receipt"_s));
    chunked.chunked = true;
    EXPECT_EQ(reasonFor(chunked), std::nullopt);
    EXPECT_EQ(server.requests().last().json().value(u"model"_s).toString(), u"other"_s);
}

TEST(LocalModelClient, ContactsOnlyLoopbackAddresses)
{
    FakeModelServer server;
    EXPECT_TRUE(LocalModelClient(server.baseUrl()).isLoopback());
    QUrl byName = server.baseUrl();
    byName.setHost(u"localhost"_s);
    EXPECT_EQ(LocalModelClient(byName).models(2s), (QStringList{u"test-model"_s, u"other"_s}));
    EXPECT_TRUE(LocalModelClient(QUrl(u"http://[::1]:11434/v1"_s)).isLoopback());

    for (const char *address : {"http://192.168.1.20:11434/v1", "http://10.0.0.1/v1", "http://example.org/v1",
                                "http://127.0.0.1.example.org:11434/v1", "https://127.0.0.1:11434/v1",
                                "http://0.0.0.0:11434/v1", "ftp://127.0.0.1/v1", "not a url"}) {
        const LocalModelClient client{QUrl(QString::fromLatin1(address))};
        EXPECT_FALSE(client.isLoopback()) << address;
        EXPECT_EQ(reasonOf([&] { client.models(2s); }), LocalModelError::Reason::notLoopback) << address;
        EXPECT_EQ(ModelStatus::current(true, client), ModelStatus::notEnabled) << address;
    }

    // The environment cannot send the text elsewhere either.
    qputenv("APP_MODEL_URL", "http://192.0.2.1:11434/v1");
    EXPECT_FALSE(LocalModelClient::fromEnvironment().isLoopback());
    EXPECT_EQ(ModelStatus::current(true), ModelStatus::notEnabled);
    EXPECT_THROW(ModelReader::read(u"Text"_s, u"a.pdf"_s), LocalModelError);
    qunsetenv("APP_MODEL_URL");
    EXPECT_EQ(LocalModelClient::fromEnvironment().baseUrl(), QUrl(u"http://127.0.0.1:11434/v1"_s));
}

TEST(LocalModelClient, AStopEndsTheWaitForAServerThatTakesNoConnection)
{
    FullModelServer server;
    ASSERT_TRUE(server.isFull());
    const LocalModelClient client(server.baseUrl());
    const ModelQuestion question{u"Read."_s, u"Text"_s, ModelReader::schemaName(), ModelReader::schema(), 0.0};
    const std::vector<std::pair<const char *, std::function<void(std::stop_token)>>> requests{
        {"models", [&](std::stop_token stop) { client.models(10s, stop); }},
        {"ask", [&](std::stop_token stop) { client.ask(u"test-model"_s, question, 10s, stop); }},
        {"read", [&](std::stop_token stop) { ModelReader::read(u"Text"_s, u"a.pdf"_s, client, 10s, stop); }},
    };
    for (const auto &[name, request] : requests) {
        SCOPED_TRACE(name);
        std::stop_source stop;
        std::thread stopper([&stop] {
            std::this_thread::sleep_for(200ms);
            stop.request_stop();
        });
        QElapsedTimer waited;
        waited.start();
        EXPECT_EQ(reasonOf([&] { request(stop.get_token()); }), LocalModelError::Reason::stopped);
        // Ended by the stop, not by the time running out.
        EXPECT_LT(waited.elapsed(), 5'000);
        stopper.join();
    }
    // Not stopped, it waits its time and no longer.
    EXPECT_EQ(reasonOf([&] { client.models(300ms); }), LocalModelError::Reason::timedOut);
}
