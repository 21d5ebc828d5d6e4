#include "FileWork.h"

#include <QCoreApplication>
#include <QMutexLocker>

#include <future>
#include <memory>

FileWork::FileWork(QObject *parent)
    : QObject(parent)
{
    // A few files side by side; a slow drive holds up no more than these.
    m_pool.setMaxThreadCount(2);
}

FileWork::~FileWork()
{
    {
        const QMutexLocker lock(&m_closing);
        m_closed = true;
    }
    // Steps handed over and not yet run are dropped: the pieces waiting for
    // them learn it from their broken promise, so none waits for ever.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    m_pool.waitForDone();
}

void FileWork::onMainThread(std::function<void()> step)
{
    auto promise = std::make_shared<std::promise<void>>();
    std::future<void> ran = promise->get_future();
    {
        const QMutexLocker lock(&m_closing);
        if (m_closed)
            throw Closed();
        // Only the posted call holds the promise: dropped unrun, it breaks it.
        QMetaObject::invokeMethod(
            this,
            [step = std::move(step), promise = std::move(promise)] {
                try {
                    step();
                    promise->set_value();
                } catch (...) {
                    promise->set_exception(std::current_exception());
                }
            },
            Qt::QueuedConnection);
    }
    try {
        ran.get();
    } catch (const std::future_error &) {
        throw Closed();
    }
}
