// Short steps of work for the main thread, run a few milliseconds' worth at a
// time in order, so that a burst of files (a thousand settling at once) never
// holds up the event loop: between two slices the application redraws,
// answers input and fires its timers.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <deque>
#include <functional>

class StepQueue : public QObject
{
    Q_OBJECT

public:
    // Short enough that a slice, the other work of the same turn and a
    // redraw of the window stay within a frame.
    static constexpr std::chrono::milliseconds slice{5};

    explicit StepQueue(QObject *parent = nullptr);

    // Runs step later on this object's thread, after the steps posted before
    // it; not at all when context is gone by then.
    void post(QObject *context, std::function<void()> step);

    int pending() const { return int(m_steps.size()); }

private:
    void drain();

    struct Step
    {
        QPointer<QObject> context;
        std::function<void()> work;
    };
    std::deque<Step> m_steps;
    QTimer m_timer;
};
