// Notices the main thread hanging: the main thread's timer keeps a heartbeat,
// and a thread of the watchdog's own checks it now and then. When the beat
// has stopped for longer than the threshold and then starts again, the hang
// and its duration become a report line of MetricsStore.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
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
