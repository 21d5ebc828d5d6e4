#include "FullModelServer.h"

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The head of the request that came on the connection.
QByteArray requestHead(int connection)
{
    QByteArray request;
    char buffer[4096];
    while (!request.contains("\r\n\r\n")) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, got);
    }
    return request;
}

void answerWithTheModelList(int connection)
{
    const QByteArray body = R"({"data":[{"id":"test-model"}]})";
    const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    (void)::send(connection, answer.constData(), size_t(answer.size()), MSG_NOSIGNAL);
}

} // namespace

FullModelServer::FullModelServer(int listings)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    m_address.sin_family = AF_INET;
    m_address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof m_address;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&m_address), length) != 0 || ::listen(m_listener, 0) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&m_address), &length) != 0)
        return;
    if (listings == 0) {
        fill();
        return;
    }
    m_thread = std::thread([this, listings] {
        for (int listed = 0; listed < listings && !m_ending;) {
            pollfd incoming{m_listener, POLLIN, 0};
            if (::poll(&incoming, 1, 100) <= 0)
                continue;
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                continue;
            const QByteArray request = requestHead(connection);
            // The queue fills before the last listing is answered, so that
            // the request after it finds it full.
            if (request.startsWith("GET") && request.contains("/models") && ++listed == listings)
                fill();
            answerWithTheModelList(connection);
            ::close(connection);
        }
    });
}

FullModelServer::~FullModelServer()
{
    m_ending = true;
    if (m_thread.joinable())
        m_thread.join();
    for (const int waiting : m_waiting)
        ::close(waiting);
    if (m_listener >= 0)
        ::close(m_listener);
}

QUrl FullModelServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(ntohs(m_address.sin_port)));
}

void FullModelServer::fill()
{
    for (int i = 0; i < 64 && !m_full; ++i) {
        const int waiting = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        m_waiting.push_back(waiting);
        if (::connect(waiting, reinterpret_cast<const sockaddr *>(&m_address), sizeof m_address) == 0)
            continue;
        pollfd made{waiting, POLLOUT, 0};
        m_full = ::poll(&made, 1, 300) == 0;
    }
}
