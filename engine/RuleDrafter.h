// A rule drafted from one sentence the user types, by the local language model.
#pragma once

#include "LocalModelClient.h"
#include "Rule.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <stop_token>

// The model's structured answer: fixed fields that the drafter maps onto
// conditions and actions. Emptiness is the empty text or 0, never a missing field.
struct RuleDraft
{
    QString name;
    QString kind;
    QString secondKind;
    QString fileType;
    QString nameContains;
    QString senderContains;
    int olderThanDays = 0;
    QString moveTo;
    QString renameTo;
    QString tags;
    int trashAfterDays = 0;

    friend bool operator==(const RuleDraft &, const RuleDraft &) = default;

    // The answer schema as JSON text: the eleven properties in field order, each
    // with its description, the kind and file-type choices as enumerations.
    static QByteArray schema();
    static QString schemaName();

    // Reads the model's answer. Throws JsonCoding::DecodeError when a field is
    // missing or of the wrong type, so that no half-read draft comes back.
    static RuleDraft fromJson(const QJsonObject &object);
    QJsonObject toJson() const;
};

namespace RuleDrafter {

// How long drafting may take before it gives up.
inline constexpr std::chrono::milliseconds draftTimeout{90'000};

// What the model is told before it reads the sentence.
QString instructions();

// Asks the local language model to fill a draft from the sentence, which goes
// to the model as it is, and maps the draft onto a rule. Blocks the calling
// thread (at most for the timeout, or until stop is requested); call it away
// from the user interface. Throws LocalModelError when there is no model
// server, when it fails, times out or is stopped, or when its answer does not
// fit the draft: never half a rule.
Rule draft(const QString &sentence, std::stop_token stop = {});
Rule draft(const QString &sentence, const LocalModelClient &client, std::chrono::milliseconds timeout = draftTimeout,
           std::stop_token stop = {});

// Turns a draft into a switched-off rule with new identifiers; whatever does
// not fit (an unknown kind, a zero or negative number, empty texts) is left out.
Rule rule(const RuleDraft &draft, const QString &sentence);

} // namespace RuleDrafter
