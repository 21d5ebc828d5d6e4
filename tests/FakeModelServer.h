// A model server of the tests' own: it listens on loopback, records every
// request, and answers from a script, so that the real client runs end to end.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QThread>
#include <QUrl>

#include <deque>
#include <future>

class FakeModelServer : public QThread
{
public:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        bool hang = false;    // accept the request and never answer
        int delayMs = 0;      // answer only this long after the request came
        bool chunked = false; // send the body in chunked transfer encoding
        QByteArray raw;       // when set, the whole response as it is sent
    };
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QByteArray body;
        QJsonObject json() const;
    };

    // Listens on the given loopback address and port, or on a free port.
    explicit FakeModelServer(quint16 port = 0, const QHostAddress &host = QHostAddress(QHostAddress::LocalHost));
    ~FakeModelServer() override;

    // The base address to give the client, ".../v1".
    QUrl baseUrl() const;

    // What GET /v1/models answers.
    void setModelsReply(const Reply &reply);
    // Queues the answer of the next chat request.
    void queueChat(const Reply &reply);
    // A chat answer whose message content is the given JSON object.
    static Reply chatAnswer(const QJsonObject &content);

    QList<Request> requests() const;

protected:
    void run() override;

private:
    Reply replyFor(const Request &request);

    mutable QMutex m_mutex;
    Reply m_models;
    std::deque<Reply> m_chats;
    QList<Request> m_requests;
    std::promise<quint16> m_ready;
    quint16 m_port = 0;
    QHostAddress m_host;
};
