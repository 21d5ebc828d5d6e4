#include "RecognitionGate.h"

#include <QCoreApplication>
#include <QFuture>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace {

// Threads beyond the two slots, for readings that were given up but still
// run; past them a new reading waits for a thread even though it has a slot.
constexpr int spareThreads = 6;

} // namespace

RecognitionGate::RecognitionGate(std::chrono::milliseconds patience, std::shared_ptr<EndDeadline> end,
                                 QObject *parent)
    : QObject(parent)
    , m_patience(patience)
    , m_end(end ? std::move(end) : std::make_shared<EndDeadline>())
    , m_pool(std::make_unique<QThreadPool>())
{
    m_pool->setMaxThreadCount(slotCount + spareThreads);
    // Readings end with Quit, together with the application's other work.
    if (QCoreApplication *application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &RecognitionGate::stop);
}

RecognitionGate::~RecognitionGate()
{
    stop();
    // The readings' tasks own nothing of the gate.
    m_end->finish(m_pool);
}

void RecognitionGate::stop()
{
    m_stop.request_stop();
    m_end->start();
    m_waiting.clear();
}

void RecognitionGate::run(Reading reading, std::function<void()> started, Done done)
{
    if (m_stop.stop_requested())
        return;
    Request request{std::move(reading), std::move(started), std::move(done)};
    if (m_running < slotCount) {
        ++m_running;
        start(std::move(request));
    } else {
        m_waiting.push_back(std::move(request));
    }
    Q_EMIT countsChanged();
}

void RecognitionGate::start(Request request)
{
    const quint64 ticket = m_nextTicket++;
    m_active.emplace(ticket, std::move(request.done));
    if (request.started)
        request.started();

    Reading reading = std::move(request.reading);
    QFuture<std::optional<Recognition>> future = QtConcurrent::run(m_pool.get(), [reading = std::move(reading)]() {
        try {
            return std::optional<Recognition>(reading());
        } catch (...) {
            // A reading must never take the worker down; it counts as given up.
            return std::optional<Recognition>();
        }
    });
    future.then(this, [this, ticket](const std::optional<Recognition> &result) { finish(ticket, result); });
    QTimer::singleShot(m_patience, this, [this, ticket] { finish(ticket, std::nullopt); });
}

void RecognitionGate::finish(quint64 ticket, std::optional<Recognition> result)
{
    // The first of the reading's end and its time running out counts; a
    // reading that the stop cut short is no reading of its file.
    const auto found = m_active.find(ticket);
    if (found == m_active.end() || m_stop.stop_requested())
        return;
    Done done = std::move(found->second);
    m_active.erase(found);
    release();
    Q_EMIT countsChanged();
    if (done)
        done(std::move(result));
}

void RecognitionGate::release()
{
    if (m_waiting.empty()) {
        --m_running;
        return;
    }
    // The slot goes straight to the oldest waiter.
    Request next = std::move(m_waiting.front());
    m_waiting.pop_front();
    start(std::move(next));
}
