#include "FileReadiness.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPromise>
#include <QThread>
#include <QTimer>

#include <map>

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

// The pending waits of one thread, answered by a single timer in the order
// they end. Thousands of files settling at once cost one timer rather than
// one each, and answers that fall due together are given a few milliseconds'
// worth at a time, so that the event loop turns in between. A cancelled wait
// is noticed within cancelCheck and answered then. The object deletes itself
// once nothing waits; on the main thread the application owns it until then,
// so that a wait still pending at the end is cancelled rather than lost.
class StableWaits : public QObject
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds slice{2};
    static constexpr std::chrono::milliseconds cancelCheck{50};

    // The current thread's waits, made when none are pending.
    static StableWaits &ofThisThread()
    {
        // One per thread, and only while it has waits: it is never shared.
        thread_local QPointer<StableWaits> current;
        if (!current) {
            QCoreApplication *const application = QCoreApplication::instance();
            const bool mainThread = application && application->thread() == QThread::currentThread();
            current = new StableWaits(mainThread ? application : nullptr);
            current->m_self = &current;
        }
        return *current;
    }

    QFuture<State> add(const QString &path, const Stamp &before, std::chrono::milliseconds wait)
    {
        QPromise<State> promise;
        promise.start();
        QFuture<State> future = promise.future();
        m_waits.emplace(Clock::now() + wait, Wait{path, before, std::move(promise)});
        schedule();
        return future;
    }

private:
    struct Wait
    {
        QString path;
        Stamp before;
        QPromise<State> promise;
    };

    explicit StableWaits(QObject *parent)
        : QObject(parent)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { answerDue(); });
    }

    void answerDue()
    {
        const Clock::time_point start = Clock::now();
        if (start >= m_nextCancelCheck) {
            m_nextCancelCheck = start + cancelCheck;
            for (auto wait = m_waits.begin(); wait != m_waits.end();) {
                // After a cancellation the answer is still worked out, but nobody reads it.
                wait = wait->second.promise.isCanceled() ? answer(wait) : std::next(wait);
            }
        }
        // At least one answer per turn, however long it takes.
        do {
            if (m_waits.empty() || m_waits.begin()->first > Clock::now())
                break;
            answer(m_waits.begin());
        } while (Clock::now() - start < slice);
        schedule();
    }

    std::multimap<Clock::time_point, Wait>::iterator answer(std::multimap<Clock::time_point, Wait>::iterator wait)
    {
        Wait &pending = wait->second;
        pending.promise.addResult(secondLook(pending.path, pending.before));
        pending.promise.finish();
        return m_waits.erase(wait);
    }

    void schedule()
    {
        if (m_waits.empty()) {
            m_timer.stop();
            // The next wait on this thread makes a new object.
            if (m_self && *m_self == this)
                *m_self = nullptr;
            deleteLater();
            return;
        }
        const Clock::time_point now = Clock::now();
        if (m_nextCancelCheck <= Clock::time_point())
            m_nextCancelCheck = now + cancelCheck;
        const Clock::time_point next = std::min(m_waits.begin()->first, m_nextCancelCheck);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - now);
        m_timer.start(std::max(left, std::chrono::milliseconds(0)));
    }

    std::multimap<Clock::time_point, Wait> m_waits;
    QTimer m_timer;
    Clock::time_point m_nextCancelCheck;
    QPointer<StableWaits> *m_self = nullptr;
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
    return StableWaits::ofThisThread().add(path, *before, wait);
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
