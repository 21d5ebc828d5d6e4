#include "HangWatchdog.h"

#include "MetricsStore.h"

#include <QDateTime>

#include <algorithm>

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
    // that it did not run either, which only a stopped process does. The
    // stop began after the check before and ended just now; of it, only the
    // time past the beat the check waited for is surely stopped time.
    const qint64 late = current - m_previousCheck - m_beat;
    m_previousCheck = current;
    if (late > m_beat)
        m_stops.push_back({current - late, current});
    if (lastBeat == m_lastBeat)
        return std::nullopt;
    // The main thread has beaten again: it was blocked from its beat before
    // to this one, less the time nothing ran at all.
    const qint64 hung = lastBeat - m_lastBeat - stoppedBetween(m_lastBeat, lastBeat);
    m_lastBeat = lastBeat;
    std::erase_if(m_stops, [lastBeat](const Stop &stop) { return stop.to <= lastBeat; });
    if (hung <= m_threshold)
        return std::nullopt;
    return std::chrono::milliseconds(hung);
}

qint64 HangWatchdog::Tracker::stoppedBetween(qint64 from, qint64 to) const
{
    qint64 stopped = 0;
    for (const Stop &stop : m_stops)
        stopped += std::max<qint64>(0, std::min(to, stop.to) - std::max(from, stop.from));
    return stopped;
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
