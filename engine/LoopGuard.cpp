#include "LoopGuard.h"

void LoopGuard::noteMoved(quint64 file, const QDateTime &at)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    m_recentlyMoved.insert(file, at);
    m_movesByDate.emplace(at.toMSecsSinceEpoch(), file);
}

bool LoopGuard::isQuiet(quint64 file, const QDateTime &now)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    const qint64 oldest = now.toMSecsSinceEpoch() - qint64(quietPeriod * 1000);
    while (!m_movesByDate.empty() && m_movesByDate.begin()->first <= oldest) {
        const quint64 moved = m_movesByDate.begin()->second;
        const auto noted = m_recentlyMoved.constFind(moved);
        if (noted != m_recentlyMoved.cend() && noted->toMSecsSinceEpoch() <= oldest)
            m_recentlyMoved.erase(noted);
        m_movesByDate.erase(m_movesByDate.begin());
    }
    return !m_recentlyMoved.contains(file);
}

bool LoopGuard::allowRun(const QUuid &rule, quint64 file)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    int &count = m_runs[{rule, file}];
    if (count >= maxRunsPerRule)
        return false;
    ++count;
    return true;
}
