// What carrying out one rule would do to one file, worked out without
// touching the disk; the journal keeps it as JSON.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

struct Plan
{
    // A hundred thousand years: a longer count is taken as this, so that the
    // Trash date it gives stays a date and its arithmetic cannot overflow.
    static constexpr qint64 maxTrashAfterDays = 36'500'000;

    // The moment a Trash delay of days runs out, counted from start. Any
    // count is accepted, a negative one too (its date has passed); one
    // beyond a hundred thousand years either way counts as that long.
    static QDateTime trashDue(const QDateTime &start, qint64 days);

    QUuid ruleID;
    QString original; // the file where it is now
    QString destination; // where it will be; the original when it stays
    QStringList copies; // one copy target per copy action, in action order
    QStringList tags; // tags to add, in action order, none repeated
    std::optional<qint64> trashAfterDays; // as the rule or the stored plan says
    std::optional<QString> openWith; // the application, as the action wrote it
    QStringList missing; // placeholders without a value, once each, sorted

    bool changesLocation() const { return destination != original; }
    // Nothing to do; missing placeholders play no part.
    bool isEmpty() const
    {
        return destination == original && copies.isEmpty() && tags.isEmpty() && !trashAfterDays && !openWith;
    }

    friend bool operator==(const Plan &, const Plan &) = default;

    QJsonObject toJson() const;
    QByteArray toJsonData() const;
    // Throw JsonCoding::DecodeError.
    static Plan fromJson(const QJsonObject &object);
    static Plan fromJsonData(const QByteArray &data);
};
