// Notices the main thread hanging: the main thread's timer keeps a heartbeat,
// and a thread of the watchdog's own checks it now and then. When the beat
// has stopped for longer than the threshold and then starts again, the hang
// and its duration become a report line of MetricsStore. Time the whole
// process stood still (stopped by a signal) is no hang and is left out.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class HangWatchdog : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultBeat{500};
    static constexpr std::chrono::milliseconds defaultThreshold{2000};

    // Starts beating on the calling (main) thread and watching on its own.
    explicit HangWatchdog(QString build, std::chrono::milliseconds beat = defaultBeat,
                          std::chrono::milliseconds threshold = defaultThreshold, QObject *parent = nullptr);
    ~HangWatchdog() override;

    // What the watching thread concludes from its checks, one a beat: the
    // hang that has just ended, if any. Times are monotonic milliseconds.
    // A check that comes far later than a beat after the one before means
    // that the whole process stood still (SIGSTOP, Ctrl+Z): that time is no
    // hang, and the main thread gets its full threshold again afterwards.
    class Tracker
    {
    public:
        Tracker(std::chrono::milliseconds beat, std::chrono::milliseconds threshold, qint64 start)
            : m_beat(beat.count()), m_threshold(threshold.count()), m_previousCheck(start)
        {
        }
        std::optional<std::chrono::milliseconds> check(qint64 current, qint64 lastBeat);

    private:
        const qint64 m_beat;
        const qint64 m_threshold;
        qint64 m_previousCheck;
        qint64 m_resumedAt = 0;
        bool m_stalled = false;
        qint64 m_lastBeforeStall = 0;
        qint64 m_stoppedDuringStall = 0;
    };

private:
    static qint64 now();
    void watch();

    const QString m_build;
    const std::chrono::milliseconds m_beat;
    const std::chrono::milliseconds m_threshold;
    QTimer m_timer;
    std::atomic<qint64> m_lastBeat;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread;
};
