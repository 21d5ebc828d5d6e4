// Keeps Filewright from handling again a file it has just moved itself, and
// limits how often one rule may run on one file. One guard lives as long as
// the automation that owns it; nothing of it is kept across restarts.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QUuid>

#include <map>
#include <mutex>
#include <utility>

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
    // The same moves by their date, oldest first, so that forgetting the old
    // ones looks at those alone; a move noted again leaves its earlier date
    // here until it is old.
    std::multimap<qint64, quint64> m_movesByDate; // milliseconds since the epoch
    // Runs by rule and file. A tree, not a hash table: it never stops to grow
    // all at once, however many files the automation has handled.
    std::map<std::pair<QUuid, quint64>, int> m_runs;
};
