// What the recognise action tells about a file: its kind in the user's
// language, sender, date, amount and currency when they were found, and
// whether the reading needs the user's check.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVariantMap>

#include <optional>

struct Recognition;
enum class NameLanguage;

struct RecognizedDocument
{
    QString kind;
    std::optional<QString> sender;
    // A calendar day held as 12:00 UTC.
    std::optional<QDateTime> date;
    std::optional<double> amount;
    std::optional<QString> currency;
    bool needsReview = true;

    // The kind named in `language`; needsReview as the reading's own test.
    static RecognizedDocument from(const Recognition &recognition, NameLanguage language);

    // As the bus carries it: absent fields are left out, the date is "yyyy-MM-dd".
    QVariantMap toVariantMap() const;
    static RecognizedDocument fromVariantMap(const QVariantMap &map);
    // For scripts: every field, absent ones as null.
    QJsonObject toJson() const;

    friend bool operator==(const RecognizedDocument &, const RecognizedDocument &) = default;
};
