#include "StepQueue.h"

#include <QElapsedTimer>

StepQueue::StepQueue(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &StepQueue::drain);
}

void StepQueue::post(QObject *context, std::function<void()> step)
{
    m_steps.push_back(Step{QPointer<QObject>(context), std::move(step)});
    if (!m_timer.isActive())
        m_timer.start();
}

void StepQueue::drain()
{
    if (m_steps.empty())
        return;
    QElapsedTimer clock;
    clock.start();
    // At least one step per slice, however long it takes.
    do {
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (!step.context || !step.work)
            continue;
        try {
            step.work();
        } catch (...) {
            // A step that fails takes no other step with it.
        }
    } while (!m_steps.empty() && clock.nsecsElapsed() < std::chrono::nanoseconds(slice).count());
    if (!m_steps.empty())
        m_timer.start();
}
