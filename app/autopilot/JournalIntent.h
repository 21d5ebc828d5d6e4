// A step on disk that a journal entry stands for while it is under way: it is
// written to the entry before the disk is touched and removed when the
// outcome is written, so that a step cut short (the process killed) is found
// at the next start and settled against what is on disk (JournalRecovery).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

struct JournalIntent
{
    enum class Kind { file, undo, trash };

    Kind kind = Kind::file;
    // The process that does the step: its id, its start time and the boot
    // it belongs to, so that a process id used again later is no match.
    qint64 pid = 0;
    QString process;
    // Filing: the file's tags before, so that the added ones are known.
    QStringList tagsBefore;
    // Filing a file that stays where it is: when it came into its folder,
    // read before the filing changes the file's times.
    std::optional<QDateTime> arrived;
    // Undo: where the file is being put back; empty until chosen.
    QString target;

    // A step of this process.
    static JournalIntent begin(Kind kind);
    // Whether the process that began the step still runs.
    bool ownerRuns() const;

    QByteArray toJsonData() const;
    // None for data that cannot be read.
    static std::optional<JournalIntent> fromJsonData(const QByteArray &data);
};
