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

void HangWatchdog::watch()
{
    std::unique_lock lock(m_mutex);
    bool stalled = false;
    qint64 lastBeforeStall = 0;
    while (!m_wake.wait_for(lock, m_beat, [this] { return m_stopping; })) {
        const qint64 last = m_lastBeat.load(std::memory_order_relaxed);
        if (!stalled) {
            if (now() - last > m_threshold.count()) {
                stalled = true;
                lastBeforeStall = last;
            }
        } else if (last != lastBeforeStall) {
            // The main thread runs again: the hang lasted from its last beat
            // before to its first beat after.
            stalled = false;
            const MetricsStore::Hang hang{m_build, std::chrono::milliseconds(last - lastBeforeStall)};
            MetricsStore::didReceive({MetricsStore::Payload{QDateTime::currentDateTimeUtc(), {}, {hang}}});
        }
    }
}
