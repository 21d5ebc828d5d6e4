// Reading a document with the local language model: whether the model can be
// used, and its structured answer for one document's text.
#pragma once

#include "LocalModelClient.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <optional>
#include <stop_token>

class ModelStatus
{
public:
    enum Value { available, deviceNotEligible, notEnabled, notReady, switchedOff };

    constexpr ModelStatus(Value value)
        : m_value(value)
    {
    }

    // `switchedOff` when the setting is off (the server is not asked);
    // `notEnabled` when no model server answers; `notReady` when it offers no
    // usable model; otherwise `available`. Answers within half a second.
    static ModelStatus current(bool enabledInSettings);
    // The same, asking the given client. `chosen` (optional) receives the
    // model that reads when the status is `available`. A stopped question
    // counts as no server answering.
    static ModelStatus current(bool enabledInSettings, const LocalModelClient &client, QString *chosen = nullptr,
                               std::stop_token stop = {});

    static std::optional<ModelStatus> fromRawValue(QStringView raw);
    QString rawValue() const;

    bool isAvailable() const { return m_value == available; }
    constexpr Value value() const { return m_value; }
    friend constexpr bool operator==(ModelStatus, ModelStatus) = default;

private:
    Value m_value;
};

// The model's answer. "" and an amount of 0 or less mean "none".
struct ModelRecognition
{
    QString kind;         // one of the DocumentKind raw values
    QString sender;       // issuer of the document, empty when unknown
    QString documentDate; // "YYYY-MM-DD", empty when none
    double amount = 0.0;  // total to pay or paid, 0 when none
    QString currency;     // ISO currency code, empty when none
    QString title;        // a short title

    // Throws LocalModelError (badAnswer) when a field is missing or of the wrong type.
    static ModelRecognition fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

namespace ModelReader {

// How long one read may take before the patterns are left to stand alone.
inline constexpr std::chrono::milliseconds readTimeout{90'000};

// The system message, the prompt and the answer schema of a read.
QString instructions();
QString prompt(const QString &text, const QString &fileName);
QByteArray schema();
QString schemaName();

// Asks the local model to read the text. Throws LocalModelError on any
// failure (no server, timeout, error status, an answer not fitting the
// schema), and at once, its connection closed, when `stop` asks for it.
ModelRecognition read(const QString &text, const QString &fileName);
ModelRecognition read(const QString &text, const QString &fileName, const LocalModelClient &client,
                      std::chrono::milliseconds timeout = readTimeout, std::stop_token stop = {});
// The same with a model chosen before, without asking for the model list.
ModelRecognition read(const QString &text, const QString &fileName, const QString &model, std::stop_token stop = {});

} // namespace ModelReader
