// The door through which the automation reads documents: at most two
// readings run at once, on worker threads, and the others start strictly in
// the order in which they asked. A reading that hangs past the gate's
// patience gives its slot to the next one and is given up; its thread is left
// to finish on its own. Quit stops the readings: they end at once, and what
// they were reading is no longer handed on.
#pragma once

#include "EndDeadline.h"
#include "Recognition.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>

class QThreadPool;

class RecognitionGate : public QObject
{
    Q_OBJECT

public:
    static constexpr int slotCount = 2;
    // Longer than a read of the local model may take, so that only a reading
    // that is truly stuck is given up.
    static constexpr std::chrono::milliseconds defaultPatience{120'000};

    using Reading = std::function<Recognition()>;
    // Called on the gate's thread: the reading's result, or nothing when it
    // was given up.
    using Done = std::function<void(std::optional<Recognition>)>;

    // end: the deadline of the application's end, which the gate's end
    // shares with the other waits of it; a deadline of its own without one.
    explicit RecognitionGate(std::chrono::milliseconds patience = defaultPatience,
                             std::shared_ptr<EndDeadline> end = nullptr, QObject *parent = nullptr);
    // Stops, then waits for readings still running until the end's deadline;
    // one that hangs is left behind rather than keeping the application from
    // quitting.
    ~RecognitionGate() override;

    // Asked to stop at Quit and when the gate goes: a reading hands it to
    // its text recognition and to the model.
    std::stop_token stopToken() const { return m_stop.get_token(); }

    // Stops every reading and starts the end's deadline: queued readings do
    // not start, and none of them is answered any more. Quitting the
    // application calls it.
    void stop();

    // Queues a reading. `started` runs on the gate's thread when the reading
    // gets its slot, `done` when it ends or is given up; neither runs after
    // the gate is gone. The reading itself runs on a worker thread and must
    // not touch the caller's objects.
    void run(Reading reading, std::function<void()> started, Done done);

    // Slots in use, and readings waiting for one.
    int running() const { return m_running; }
    int waiting() const { return int(m_waiting.size()); }

Q_SIGNALS:
    void countsChanged();

private:
    struct Request
    {
        Reading reading;
        std::function<void()> started;
        Done done;
    };

    void start(Request request);
    void finish(quint64 ticket, std::optional<Recognition> result);
    void release();

    const std::chrono::milliseconds m_patience;
    const std::shared_ptr<EndDeadline> m_end;
    std::stop_source m_stop;
    std::unique_ptr<QThreadPool> m_pool;
    int m_running = 0;
    std::deque<Request> m_waiting;
    // Readings holding a slot, by ticket.
    std::map<quint64, Done> m_active;
    quint64 m_nextTicket = 1;
};
