// What one journal row shows of its entry: title, icon, the journal line,
// the status chip and the one action the status offers. A value made from
// the entry when the row is loaded, so that painting reads no store.
#pragma once

#include "Models.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

struct JournalRow
{
    Q_DECLARE_TR_FUNCTIONS(JournalRow)

public:
    struct Chip
    {
        QString text;
        QString symbol;
        bool accent = false; // the theme's accent text; else the secondary colour
    };
    enum class Action { check, undo };

    static JournalRow from(const JournalEntry &entry);

    qint64 id = 0;
    QDateTime date;
    JournalEntry::Status status = JournalEntry::Status::done;
    QString originalPath;
    QString newPath;
    QString title;
    QString iconPath;
    QString detail;
    // Empty for an entry in review, whose message is no news to the user.
    QString message;
    std::optional<Recognition> recognition;
    bool hasPerformed = false;
    // A decision on the entry is under way (its file is being moved): the
    // row says so and its button waits.
    bool busy = false;

    std::optional<Chip> chip() const;
    std::optional<Action> action() const;
    bool canUndo() const { return status == JournalEntry::Status::done && hasPerformed; }
    // The first of the filed and the found path that exists; empty when neither does.
    QString existingPath() const;

    // "Today", "Yesterday" or the day written out with its weekday in the windows' language.
    static QString dayTitle(const QDate &day, const QDate &today);
    static QString actionTitle(Action action);
};
