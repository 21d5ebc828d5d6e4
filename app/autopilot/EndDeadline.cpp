#include "EndDeadline.h"

#include <QThreadPool>

void EndDeadline::start()
{
    if (!m_deadline)
        m_deadline = QDeadlineTimer(patience);
}

void EndDeadline::finish(std::unique_ptr<QThreadPool> &pool)
{
    start();
    if (!pool->waitForDone(int(m_deadline->remainingTime())))
        (void)pool.release();
}
