// The one moment by which the application's end stops waiting for work still
// running on its threads. Quit starts it, and every wait of the end takes
// only what is left of it, so that the process is gone about a second after
// Quit whatever is still in flight. Lives on the main thread.
#pragma once

#include <QDeadlineTimer>

#include <chrono>
#include <memory>
#include <optional>

class QThreadPool;

class EndDeadline
{
public:
    static constexpr std::chrono::milliseconds patience{1000};

    // Starts the count; a later call keeps the first start.
    void start();
    // Waits for the pool's work until the deadline, starting the count when
    // nothing did before. Work still running then holds its thread, which
    // destroying the pool would wait for: the pool is let go instead, and
    // the process's end takes it. Its tasks must own nothing of their callers.
    void finish(std::unique_ptr<QThreadPool> &pool);

private:
    std::optional<QDeadlineTimer> m_deadline;
};
