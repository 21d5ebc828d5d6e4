#include "LocalModelClient.h"

#include "FileDescriptor.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// An answer larger than this is no answer to a question about one document.
constexpr qsizetype maxResponseBytes = 8 * 1024 * 1024;

std::optional<QHostAddress> loopbackAddress(const QUrl &url)
{
    if (!url.isValid() || url.scheme() != u"http")
        return std::nullopt;
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost); // never resolved through the network
    const QHostAddress address(host);
    if (address.isNull() || !address.isLoopback())
        return std::nullopt;
    return address;
}

// The longest a wait on the socket goes without looking whether the caller
// stopped the request.
constexpr qint64 stopCheckMs = 25;

int sliceMs(const QDeadlineTimer &deadline)
{
    return int(std::clamp<qint64>(deadline.remainingTime(), 1, stopCheckMs));
}

void throwIfStopped(const std::stop_token &stop)
{
    if (stop.stop_requested())
        throw LocalModelError(LocalModelError::Reason::stopped, QStringLiteral("The request to the model server was stopped."));
}

// A descriptor connected to the address; -1 when the connection is refused
// or fails. Throws when the caller stops or the time runs out. A server whose queue of waiting
// connections is full neither takes nor refuses a connection, so the wait
// for it looks for the stop as often as the other waits do.
int connected(const QHostAddress &address, quint16 port, const QDeadlineTimer &deadline, const std::stop_token &stop)
{
    sockaddr_storage storage {};
    socklen_t length = 0;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *to = reinterpret_cast<sockaddr_in6 *>(&storage);
        to->sin6_family = AF_INET6;
        to->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&to->sin6_addr, bytes.c, sizeof bytes.c);
        length = sizeof *to;
    } else {
        auto *to = reinterpret_cast<sockaddr_in *>(&storage);
        to->sin_family = AF_INET;
        to->sin_port = htons(port);
        to->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof *to;
    }
    FileDescriptor socket(::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        return -1;
    if (::connect(socket.get(), reinterpret_cast<const sockaddr *>(&storage), length) == 0)
        return socket.release();
    if (errno != EINPROGRESS)
        return -1;
    while (true) {
        throwIfStopped(stop);
        if (deadline.hasExpired())
            throw LocalModelError(LocalModelError::Reason::timedOut, QStringLiteral("The model server did not answer in time."));
        pollfd wait{socket.get(), POLLOUT, 0};
        const int ready = ::poll(&wait, 1, sliceMs(deadline));
        if (ready < 0 && errno != EINTR)
            return -1;
        if (ready > 0) {
            int error = 0;
            socklen_t size = sizeof error;
            if (::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
                return -1;
            return socket.release();
        }
    }
}

// Splits a complete HTTP/1.1 response; nothing while it is still incomplete.
struct ParsedResponse
{
    int status = 0;
    QByteArray body;
};

std::optional<ParsedResponse> parseResponse(const QByteArray &raw, bool closed)
{
    const qsizetype headerEnd = raw.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return std::nullopt;
    const QList<QByteArray> headerLines = raw.left(headerEnd).split('\n');
    const QList<QByteArray> statusParts = headerLines.first().trimmed().split(' ');
    if (statusParts.size() < 2 || !statusParts.first().startsWith("HTTP/"))
        throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model server sent no HTTP answer."));
    ParsedResponse parsed;
    parsed.status = statusParts.at(1).toInt();
    std::optional<qsizetype> contentLength;
    bool chunked = false;
    for (qsizetype i = 1; i < headerLines.size(); ++i) {
        const QByteArray line = headerLines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            bool ok = false;
            contentLength = value.toLongLong(&ok);
            if (!ok || *contentLength < 0 || *contentLength > maxResponseBytes)
                throw LocalModelError(LocalModelError::Reason::badAnswer,
                                      QStringLiteral("The model server announced an answer of impossible size."));
        }
        else if (name == "transfer-encoding" && value.toLower().contains("chunked"))
            chunked = true;
    }
    const QByteArray rest = raw.mid(headerEnd + 4);
    if (chunked) {
        QByteArray body;
        qsizetype at = 0;
        while (true) {
            const qsizetype lineEnd = rest.indexOf("\r\n", at);
            if (lineEnd < 0)
                return closed ? std::optional<ParsedResponse>(ParsedResponse{parsed.status, body}) : std::nullopt;
            bool ok = false;
            const qsizetype size = rest.mid(at, lineEnd - at).split(';').first().trimmed().toLongLong(&ok, 16);
            // A chunk larger than any answer we take is refused before its
            // size takes part in any sum.
            if (!ok || size < 0 || size > maxResponseBytes)
                throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model server sent a damaged answer."));
            if (size == 0) {
                parsed.body = body;
                return parsed;
            }
            if (rest.size() < lineEnd + 2 + size + 2)
                return closed ? std::optional<ParsedResponse>(ParsedResponse{parsed.status, body}) : std::nullopt;
            body += rest.mid(lineEnd + 2, size);
            at = lineEnd + 2 + size + 2;
        }
    }
    if (contentLength) {
        if (rest.size() < *contentLength)
            return closed ? std::optional<ParsedResponse>(ParsedResponse{parsed.status, rest}) : std::nullopt;
        parsed.body = rest.left(*contentLength);
        return parsed;
    }
    if (!closed)
        return std::nullopt;
    parsed.body = rest;
    return parsed;
}

QString serverMessage(const QByteArray &body)
{
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const QJsonValue error = object.value(QLatin1String("error"));
    if (error.isObject())
        return error.toObject().value(QLatin1String("message")).toString();
    if (error.isString())
        return error.toString();
    return QString::fromUtf8(body.left(200));
}

} // namespace

LocalModelError::LocalModelError(Reason reason, const QString &message)
    : std::runtime_error(message.toStdString())
    , m_reason(reason)
{
}

LocalModelClient::LocalModelClient(QUrl baseUrl, QString model)
    : m_baseUrl(std::move(baseUrl))
    , m_model(std::move(model))
{
}

QUrl LocalModelClient::defaultBaseUrl()
{
    return QUrl(QStringLiteral("http://127.0.0.1:11434/v1"));
}

LocalModelClient LocalModelClient::fromEnvironment()
{
    const QString url = qEnvironmentVariable("APP_MODEL_URL").trimmed();
    return LocalModelClient(url.isEmpty() ? defaultBaseUrl() : QUrl(url), qEnvironmentVariable("APP_MODEL").trimmed());
}

bool LocalModelClient::isLoopback() const
{
    return loopbackAddress(m_baseUrl).has_value();
}

QByteArray LocalModelClient::jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

LocalModelClient::Response LocalModelClient::exchange(const QByteArray &method, const QString &endpoint,
                                                      const QByteArray &body, std::chrono::milliseconds timeout,
                                                      const std::stop_token &stop) const
{
    const std::optional<QHostAddress> address = loopbackAddress(m_baseUrl);
    if (!address)
        throw LocalModelError(LocalModelError::Reason::notLoopback,
                              QStringLiteral("The model server address is not on this computer: %1").arg(m_baseUrl.toString()));
    const QDeadlineTimer deadline(timeout);
    QString path = m_baseUrl.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    path += u'/' + endpoint;

    QByteArray request = method + ' ' + QUrl(path).toEncoded() + " HTTP/1.1\r\n";
    request += "Host: " + m_baseUrl.authority().toUtf8() + "\r\n";
    request += "Accept: application/json\r\nConnection: close\r\n";
    if (!body.isNull())
        request += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    request += "\r\n";
    request += body;

    // Waits for the server are short, so that a stopped request ends at
    // once; the socket closes its connection as it goes.
    throwIfStopped(stop);
    QTcpSocket socket;
    FileDescriptor descriptor(connected(*address, quint16(m_baseUrl.port(80)), deadline, stop));
    if (descriptor.get() < 0 || !socket.setSocketDescriptor(descriptor.get()))
        throw LocalModelError(LocalModelError::Reason::unreachable,
                              QStringLiteral("No model server answers at %1.").arg(m_baseUrl.toString()));
    descriptor.release(); // the socket's now
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        throwIfStopped(stop);
        if (deadline.hasExpired())
            throw LocalModelError(LocalModelError::Reason::timedOut, QStringLiteral("The model server did not take the question in time."));
        if (!socket.waitForBytesWritten(sliceMs(deadline)) && socket.error() != QAbstractSocket::SocketTimeoutError)
            throw LocalModelError(LocalModelError::Reason::timedOut, QStringLiteral("The model server did not take the question in time."));
    }
    QByteArray raw;
    while (true) {
        raw += socket.readAll();
        if (raw.size() > maxResponseBytes)
            throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model server's answer is too large."));
        const bool closed = socket.state() != QAbstractSocket::ConnectedState;
        if (const std::optional<ParsedResponse> parsed = parseResponse(raw, closed))
            return Response{parsed->status, parsed->body};
        if (closed)
            throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model server closed the connection without an answer."));
        throwIfStopped(stop);
        if (deadline.hasExpired())
            throw LocalModelError(LocalModelError::Reason::timedOut, QStringLiteral("The model server did not answer in time."));
        socket.waitForReadyRead(sliceMs(deadline));
    }
}

QStringList LocalModelClient::models(std::chrono::milliseconds timeout, std::stop_token stop) const
{
    const Response response = exchange("GET", QStringLiteral("models"), QByteArray(), timeout, stop);
    if (response.status != 200)
        throw LocalModelError(LocalModelError::Reason::badStatus,
                              QStringLiteral("The model server answered %1: %2").arg(response.status).arg(serverMessage(response.body)));
    const QJsonValue data = QJsonDocument::fromJson(response.body).object().value(QLatin1String("data"));
    if (!data.isArray())
        throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model server lists no models."));
    QStringList names;
    for (const QJsonValue &entry : data.toArray()) {
        const QString id = entry.toObject().value(QLatin1String("id")).toString();
        if (!id.isEmpty())
            names.append(id);
    }
    return names;
}

QString LocalModelClient::chooseModel(std::chrono::milliseconds timeout, std::stop_token stop) const
{
    const QStringList offered = models(timeout, std::move(stop));
    if (m_model.isEmpty()) {
        if (offered.isEmpty())
            throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model server offers no model."));
        return offered.first();
    }
    if (!offered.contains(m_model))
        throw LocalModelError(LocalModelError::Reason::badAnswer,
                              QStringLiteral("The model server does not offer the model %1.").arg(m_model));
    return m_model;
}

QByteArray LocalModelClient::requestBody(const QString &model, const ModelQuestion &question)
{
    QByteArray body = "{\"model\":" + jsonString(model);
    body += ",\"messages\":[{\"role\":\"system\",\"content\":" + jsonString(question.instructions) + "}";
    body += ",{\"role\":\"user\",\"content\":" + jsonString(question.prompt) + "}]";
    body += ",\"response_format\":{\"type\":\"json_schema\",\"json_schema\":{\"name\":" + jsonString(question.schemaName)
        + ",\"strict\":true,\"schema\":" + question.schema + "}}";
    body += ",\"temperature\":" + QByteArray::number(question.temperature, 'g', 6);
    body += ",\"stream\":false}";
    return body;
}

QJsonObject LocalModelClient::ask(const QString &model, const ModelQuestion &question, std::chrono::milliseconds timeout,
                                  std::stop_token stop) const
{
    const Response response =
        exchange("POST", QStringLiteral("chat/completions"), requestBody(model, question), timeout, stop);
    if (response.status != 200)
        throw LocalModelError(LocalModelError::Reason::badStatus,
                              QStringLiteral("The model server answered %1: %2").arg(response.status).arg(serverMessage(response.body)));
    const QJsonArray choices = QJsonDocument::fromJson(response.body).object().value(QLatin1String("choices")).toArray();
    const QJsonValue content =
        choices.at(0).toObject().value(QLatin1String("message")).toObject().value(QLatin1String("content"));
    if (choices.isEmpty() || !content.isString())
        throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model server's answer holds no message."));
    QJsonParseError error;
    const QJsonDocument answer = QJsonDocument::fromJson(content.toString().toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !answer.isObject())
        throw LocalModelError(LocalModelError::Reason::badAnswer, QStringLiteral("The model's answer is not a JSON object."));
    return answer.object();
}
