// Keeps Filewright from handling again a file it has just moved itself, and
// limits how often one rule may run on one file. One guard lives as long as
// the automation that owns it; nothing of it is kept across restarts.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QUuid>

#include <mutex>

class LoopGuard final
{
public:
    // Seconds after a move during which the moved file is left alone.
    static constexpr double quietPeriod = 60.0;
    static constexpr int maxRunsPerRule = 3;

    LoopGuard() = default;
    LoopGuard(const LoopGuard &) = delete;
    LoopGuard &operator=(const LoopGuard &) = delete;

    // Remembers that the application moved `file` (an identifier from
    // FileReadiness::identifier) at `at`, replacing an earlier date.
    void noteMoved(quint64 file, const QDateTime &at);

    // True when the application has not moved `file` within the quiet period
    // before `now`. Forgets every move that is a quiet period old or older.
    bool isQuiet(quint64 file, const QDateTime &now);

    // True for the first maxRunsPerRule runs of `rule` on `file`, counting
    // this one; false, and nothing counted, for every later one.
    bool allowRun(const QUuid &rule, quint64 file);

private:
    // Each operation holds the lock for its whole body and calls nothing that
    // could come back to the guard.
    std::mutex m_lock;
    QHash<quint64, QDateTime> m_recentlyMoved;
    QHash<QString, int> m_runs; // by "<RULE-UUID>-<file identifier>"
};
