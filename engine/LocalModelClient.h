// A small client for the local language model server: an OpenAI-compatible
// chat-completions server on this computer. Only loopback addresses are ever
// contacted, whatever the configured address says, so no text leaves the
// machine. Every call blocks the calling thread for at most its timeout, and
// ends at once, closing its connection, when its stop token asks for it.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <stdexcept>
#include <stop_token>

// Why a request to the model server failed: refused address, no server,
// timeout, an error status, an answer that is not what was asked for, or the
// caller stopped it.
class LocalModelError : public std::runtime_error
{
public:
    enum class Reason { notLoopback, unreachable, timedOut, badStatus, badAnswer, stopped };

    LocalModelError(Reason reason, const QString &message);

    Reason reason() const { return m_reason; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    Reason m_reason;
};

// One structured question: instructions, prompt and the JSON schema the answer
// must follow.
struct ModelQuestion
{
    QString instructions; // the system message
    QString prompt;       // the user message
    QString schemaName;   // a short name of the answer structure
    QByteArray schema;    // the answer's JSON schema as JSON text (its key order is kept)
    double temperature = 0.0;
};

class LocalModelClient
{
public:
    // The server's base address and the model's name; an empty model means the
    // first model the server lists.
    explicit LocalModelClient(QUrl baseUrl, QString model = {});

    // APP_MODEL_URL (default http://127.0.0.1:11434/v1) and APP_MODEL.
    static LocalModelClient fromEnvironment();
    static QUrl defaultBaseUrl();

    const QUrl &baseUrl() const { return m_baseUrl; }

    // True when the base address names this computer (a loopback address or
    // "localhost"); nothing else is ever contacted.
    bool isLoopback() const;

    // The models the server offers (GET models).
    QStringList models(std::chrono::milliseconds timeout, std::stop_token stop = {}) const;

    // The configured model, or the first the server lists; throws when the
    // server offers none (or not the configured one).
    QString chooseModel(std::chrono::milliseconds timeout, std::stop_token stop = {}) const;

    // Asks one question of `model` and returns the answer's JSON object.
    QJsonObject ask(const QString &model, const ModelQuestion &question, std::chrono::milliseconds timeout,
                    std::stop_token stop = {}) const;

    // The request body `ask` sends (for tests and diagnostics).
    static QByteArray requestBody(const QString &model, const ModelQuestion &question);

    // A JSON string literal of the text, quotes included.
    static QByteArray jsonString(const QString &text);

private:
    struct Response
    {
        int status = 0;
        QByteArray body;
    };
    Response exchange(const QByteArray &method, const QString &endpoint, const QByteArray &body,
                      std::chrono::milliseconds timeout, const std::stop_token &stop) const;

    QUrl m_baseUrl;
    QString m_model;
};
