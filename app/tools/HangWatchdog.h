// Notices the main thread hanging: the main thread's timer keeps a heartbeat,
// and a thread of the watchdog's own checks it now and then. When the beat
// has stopped for longer than the threshold and then starts again, the hang
// and its duration become a report line of MetricsStore. Time the whole
// process stood still (stopped by a signal) is no hang and is left out, both
// when telling a hang and when measuring it.
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
#include <vector>

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
    // A hang is the time between two beats the main thread gave, less the
    // time the whole process stood still between them (SIGSTOP, Ctrl+Z): a
    // check that comes far later than a beat after the one before tells such
    // a stop, which ended when the check came. It counts as a hang when that
    // time is longer than the threshold, however the stops lie in it.
    class Tracker
    {
    public:
        Tracker(std::chrono::milliseconds beat, std::chrono::milliseconds threshold, qint64 start)
            : m_beat(beat.count()), m_threshold(threshold.count()), m_previousCheck(start), m_lastBeat(start)
        {
        }
        std::optional<std::chrono::milliseconds> check(qint64 current, qint64 lastBeat);

    private:
        struct Stop
        {
            qint64 from;
            qint64 to;
        };
        // The stopped time between two moments.
        qint64 stoppedBetween(qint64 from, qint64 to) const;

        const qint64 m_beat;
        const qint64 m_threshold;
        qint64 m_previousCheck;
        // The newest beat a check has seen, and the stops since it.
        qint64 m_lastBeat;
        std::vector<Stop> m_stops;
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
