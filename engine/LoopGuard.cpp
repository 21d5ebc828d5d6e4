#include "LoopGuard.h"

#include "JsonCoding.h"

void LoopGuard::noteMoved(quint64 file, const QDateTime &at)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    m_recentlyMoved.insert(file, at);
}

bool LoopGuard::isQuiet(quint64 file, const QDateTime &now)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    const qint64 quietMSecs = qint64(quietPeriod * 1000);
    m_recentlyMoved.removeIf([&](const auto &entry) { return entry.value().msecsTo(now) >= quietMSecs; });
    return !m_recentlyMoved.contains(file);
}

bool LoopGuard::allowRun(const QUuid &rule, quint64 file)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    const QString key = JsonCoding::uuidText(rule) + u'-' + QString::number(file);
    int &count = m_runs[key];
    if (count >= maxRunsPerRule)
        return false;
    ++count;
    return true;
}
