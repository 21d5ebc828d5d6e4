#include "FakeModelServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

FakeModelServer::FakeModelServer(quint16 port, const QHostAddress &host)
    : m_port(port)
    , m_host(host)
{
    m_models.body = R"({"object":"list","data":[{"id":"test-model","object":"model"},{"id":"other","object":"model"}]})";
    start();
    m_port = m_ready.get_future().get();
}

FakeModelServer::~FakeModelServer()
{
    quit();
    wait();
}

QUrl FakeModelServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://%1:%2/v1").arg(m_host.toString()).arg(m_port));
}

void FakeModelServer::setModelsReply(const Reply &reply)
{
    const QMutexLocker lock(&m_mutex);
    m_models = reply;
}

void FakeModelServer::queueChat(const Reply &reply)
{
    const QMutexLocker lock(&m_mutex);
    m_chats.push_back(reply);
}

FakeModelServer::Reply FakeModelServer::chatAnswer(const QJsonObject &content)
{
    const QJsonObject message{{QStringLiteral("role"), QStringLiteral("assistant")},
                              {QStringLiteral("content"), QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact))}};
    const QJsonObject body{{QStringLiteral("id"), QStringLiteral("chatcmpl-1")},
                           {QStringLiteral("object"), QStringLiteral("chat.completion")},
                           {QStringLiteral("choices"), QJsonArray{QJsonObject{{QStringLiteral("index"), 0},
                                                                              {QStringLiteral("message"), message},
                                                                              {QStringLiteral("finish_reason"), QStringLiteral("stop")}}}}};
    return Reply{200, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}

QList<FakeModelServer::Request> FakeModelServer::requests() const
{
    const QMutexLocker lock(&m_mutex);
    return m_requests;
}

QJsonObject FakeModelServer::Request::json() const
{
    return QJsonDocument::fromJson(body).object();
}

FakeModelServer::Reply FakeModelServer::replyFor(const Request &request)
{
    const QMutexLocker lock(&m_mutex);
    m_requests.append(request);
    if (request.method == "GET" && request.path == "/v1/models")
        return m_models;
    if (request.method == "POST" && request.path == "/v1/chat/completions") {
        if (m_chats.empty())
            return Reply{500, R"({"error":{"message":"no answer scripted"}})"};
        Reply reply = m_chats.front();
        m_chats.pop_front();
        return reply;
    }
    return Reply{404, R"({"error":{"message":"not found"}})"};
}

void FakeModelServer::run()
{
    QTcpServer server;
    server.listen(m_host, m_port);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            socket->setParent(&server);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
                socket->setProperty("buffer", buffer);
                const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
                if (headerEnd < 0 || socket->property("answered").toBool())
                    return;
                const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
                qsizetype length = 0;
                for (const QByteArray &line : lines)
                    if (line.toLower().startsWith("content-length:"))
                        length = line.mid(15).trimmed().toLongLong();
                if (buffer.size() < headerEnd + 4 + length)
                    return;
                const QList<QByteArray> first = lines.first().trimmed().split(' ');
                const Request request{first.value(0), first.value(1), buffer.mid(headerEnd + 4, length)};
                socket->setProperty("answered", true);
                const Reply reply = replyFor(request);
                if (reply.hang)
                    return;
                QByteArray response = "HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\nContent-Type: application/json\r\n";
                if (!reply.raw.isEmpty()) {
                    response = reply.raw;
                } else if (reply.chunked) {
                    response += "Transfer-Encoding: chunked\r\n\r\n";
                    const qsizetype half = reply.body.size() / 2;
                    for (const QByteArray &part : {reply.body.left(half), reply.body.mid(half)})
                        response += QByteArray::number(part.size(), 16) + "\r\n" + part + "\r\n";
                    response += "0\r\n\r\n";
                } else {
                    response += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n" + reply.body;
                }
                const auto answer = [socket, response] {
                    socket->write(response);
                    socket->disconnectFromHost();
                };
                if (reply.delayMs > 0)
                    QTimer::singleShot(reply.delayMs, socket, answer);
                else
                    answer();
            });
        }
    });
    m_ready.set_value(server.serverPort());
    exec();
}
