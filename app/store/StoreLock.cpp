#include "StoreLock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr std::chrono::milliseconds pollInterval{50};
} // namespace

std::optional<StoreLock> StoreLock::take(const QString &storePath, std::chrono::milliseconds patience,
                                         const std::function<bool()> &handOver)
{
    const QByteArray lockPath = QFile::encodeName(storePath + QStringLiteral(".lock"));
    const int descriptor = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return StoreLock(-1);
    StoreLock lock(descriptor);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            return lock;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return StoreLock(-1);
        if (handOver && handOver())
            return std::nullopt;
        if (waited.elapsed() >= std::chrono::duration_cast<std::chrono::milliseconds>(patience).count())
            return std::nullopt;
        QThread::msleep(static_cast<unsigned long>(pollInterval.count()));
    }
}

StoreLock::StoreLock(int descriptor)
    : m_descriptor(descriptor)
{
}

StoreLock::StoreLock(StoreLock &&other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1))
{
}

StoreLock &StoreLock::operator=(StoreLock &&other) noexcept
{
    std::swap(m_descriptor, other.m_descriptor);
    return *this;
}

StoreLock::~StoreLock()
{
    // Closing the file gives the lock up.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}
