#include "HangWatchdog.h"

#include "MetricsStore.h"

#include <QDateTime>

HangWatchdog::HangWatchdog(QString build, std::chrono::milliseconds beat, std::chrono::milliseconds threshold,
                           QObject *parent)
    : QObject(parent)
    , m_build(std::move(build))
    , m_beat(beat)
    , m_threshold(threshold)
    , m_lastBeat(now())
{
    // A coarse timer lets the system bundle this wake-up with others.
    m_timer.setTimerType(Qt::CoarseTimer);
    m_timer.setInterval(beat);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_lastBeat.store(now(), std::memory_order_relaxed); });
    m_timer.start();
    m_thread = std::thread([this] { watch(); });
}

HangWatchdog::~HangWatchdog()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

qint64 HangWatchdog::now()
{
    // The monotonic clock stands still while the computer sleeps, so a
    // night of suspend is no hang.
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<std::chrono::milliseconds> HangWatchdog::Tracker::check(qint64 current, qint64 lastBeat)
{
    // The watching thread wakes every beat: coming back much later means
    // that it did not run either, which only a stopped process does.
    const qint64 late = current - m_previousCheck - m_beat;
    m_previousCheck = current;
    if (late > m_beat) {
        m_resumedAt = current;
        if (m_stalled)
            m_stoppedDuringStall += late;
    }
    if (!m_stalled) {
        // After a stop the main thread gets its full threshold again.
        if (current - std::max(lastBeat, m_resumedAt) > m_threshold) {
            m_stalled = true;
            m_lastBeforeStall = lastBeat;
            m_stoppedDuringStall = 0;
        }
        return std::nullopt;
    }
    if (lastBeat == m_lastBeforeStall)
        return std::nullopt;
    // The main thread runs again: the hang lasted from its last beat before
    // to its first beat after, less the time nothing ran at all.
    m_stalled = false;
    const qint64 hung = lastBeat - m_lastBeforeStall - m_stoppedDuringStall;
    if (hung <= m_threshold)
        return std::nullopt;
    return std::chrono::milliseconds(hung);
}

void HangWatchdog::watch()
{
    std::unique_lock lock(m_mutex);
    Tracker tracker(m_beat, m_threshold, now());
    while (!m_wake.wait_for(lock, m_beat, [this] { return m_stopping; })) {
        const std::optional<std::chrono::milliseconds> hung =
            tracker.check(now(), m_lastBeat.load(std::memory_order_relaxed));
        if (!hung)
            continue;
        const MetricsStore::Hang hang{m_build, *hung};
        MetricsStore::didReceive({MetricsStore::Payload{QDateTime::currentDateTimeUtc(), {}, {hang}}});
    }
}
