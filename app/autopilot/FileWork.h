// Work on the user's files that must not hold up the window: each piece runs
// on a worker thread, and its result is handed back to the main thread. A
// piece may have the main thread run a short step (storing what it is about
// to do) and wait for it. Going away, the object lets no new step reach the
// main thread: a piece waiting for one gets FileWork::Closed instead, and the
// pieces still running are waited for.
#pragma once

#include <QFuture>
#include <QMutex>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <functional>

class FileWork : public QObject
{
    Q_OBJECT

public:
    // Thrown by onMainThread once the object is going away.
    struct Closed : std::exception
    {
        const char *what() const noexcept override { return "the work was stopped"; }
    };

    explicit FileWork(QObject *parent = nullptr);
    ~FileWork() override;

    // Runs work on a worker thread, then done with its result on this
    // object's thread; done is dropped when the object is gone by then.
    // work must not throw.
    template<typename Result, typename Work, typename Done>
    void run(Work work, Done done)
    {
        QtConcurrent::run(&m_pool, std::move(work)).then(this, [done = std::move(done)](const Result &result) {
            done(result);
        });
    }

    // Called from within a piece of work: runs step on this object's
    // thread and returns when it has run. Rethrows what step throws; throws
    // Closed when the object is going away.
    void onMainThread(std::function<void()> step);

private:
    QThreadPool m_pool;
    QMutex m_closing;
    bool m_closed = false;
};
