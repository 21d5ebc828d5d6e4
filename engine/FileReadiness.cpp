#include "FileReadiness.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPromise>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>

namespace FileReadiness {

namespace {

// One statx call for the given fields, not following a symbolic link.
std::optional<struct statx> status(const QString &path, unsigned int mask)
{
    struct statx info {};
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty() || statx(AT_FDCWD, encoded.constData(), AT_SYMLINK_NOFOLLOW, mask, &info) != 0)
        return std::nullopt;
    return info;
}

State secondLook(const QString &path, const Stamp &before)
{
    const std::optional<Stamp> after = stamp(path);
    if (!after)
        return State::ignore;
    // An empty file is a name reserved for a download still on its way (it
    // is renamed over when done), or a file still to be written: not yet.
    if (*after != before || after->size == 0)
        return State::notYet;
    return precheck(path) == State::ready ? State::ready : State::notYet;
}

// One pending wait: a timer on the calling thread's event loop, ended early
// when the caller cancels the future. Deletes itself once it has answered;
// on the main thread the application owns it until then, so that a wait still
// pending at the end is cancelled rather than lost.
class StableWait : public QObject
{
public:
    StableWait(const QString &path, const Stamp &before, std::chrono::milliseconds wait, QObject *parent)
        : QObject(parent)
        , m_path(path)
        , m_before(before)
    {
        m_promise.start();
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { finish(); });
        connect(&m_watcher, &QFutureWatcherBase::canceled, this, [this] { finish(); });
        m_watcher.setFuture(m_promise.future());
        m_timer.start(wait);
    }

    QFuture<State> future() { return m_promise.future(); }

private:
    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        m_timer.stop();
        // After a cancellation the answer is still worked out, but nobody reads it.
        m_promise.addResult(secondLook(m_path, m_before));
        m_promise.finish();
        deleteLater();
    }

    const QString m_path;
    const Stamp m_before;
    QPromise<State> m_promise;
    QFutureWatcher<State> m_watcher;
    QTimer m_timer;
    bool m_finished = false;
};

QDateTime toDateTime(const struct statx_timestamp &stamp)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(stamp.tv_sec) * 1000 + stamp.tv_nsec / 1000000, Qt::UTC);
}

// Spreads the device number over all 64 bits (the finaliser of SplitMix64).
quint64 mixed(quint64 value)
{
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ULL;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

} // namespace

const QSet<QString> &partialExtensions()
{
    static const QSet<QString> extensions{
        QStringLiteral("download"), QStringLiteral("crdownload"), QStringLiteral("part"),
        QStringLiteral("tmp"), QStringLiteral("partial"), QStringLiteral("opdownload")};
    return extensions;
}

bool ignoresName(const QString &path)
{
    const QFileInfo name(path); // no disk access: only the name is asked for
    const QString fileName = name.fileName();
    return fileName.startsWith(u'.') || fileName.startsWith(QLatin1String("~$"))
        || partialExtensions().contains(name.suffix().toLower());
}

State precheck(const QString &path)
{
    if (ignoresName(path))
        return State::ignore;
    // Nothing on Linux is a package or an item still uploading to a cloud, so
    // a regular file is ready and anything else (a folder, a link, a device)
    // is left alone.
    const std::optional<struct statx> info = status(path, STATX_TYPE);
    if (!info || !(info->stx_mask & STATX_TYPE) || !S_ISREG(info->stx_mode))
        return State::ignore;
    return State::ready;
}

std::optional<Stamp> stamp(const QString &path)
{
    const std::optional<struct statx> info = status(path, STATX_SIZE | STATX_MTIME);
    if (!info)
        return std::nullopt;
    Stamp result;
    result.size = (info->stx_mask & STATX_SIZE) ? qint64(info->stx_size) : 0;
    result.modified = (info->stx_mask & STATX_MTIME) ? toDateTime(info->stx_mtime)
                                                     : QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
    return result;
}

QFuture<State> waitUntilStable(const QString &path, std::chrono::milliseconds wait)
{
    const State first = precheck(path);
    if (first != State::ready)
        return QtFuture::makeReadyFuture(first);
    const std::optional<Stamp> before = stamp(path);
    if (!before)
        return QtFuture::makeReadyFuture(State::ready);
    QCoreApplication *const application = QCoreApplication::instance();
    QObject *const owner = application && application->thread() == QThread::currentThread() ? application : nullptr;
    return (new StableWait(path, *before, wait, owner))->future();
}

std::optional<quint64> identifier(const QString &path)
{
    const std::optional<struct statx> info = status(path, STATX_INO);
    if (!info || !(info->stx_mask & STATX_INO))
        return std::nullopt;
    const quint64 device = (quint64(info->stx_dev_major) << 32) | info->stx_dev_minor;
    // Files of one file system differ in their inode, so they never share an identifier.
    return info->stx_ino ^ mixed(device);
}

} // namespace FileReadiness
