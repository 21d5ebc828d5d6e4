#include "InotifyWatch.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/inotify.h>
#include <unistd.h>

namespace {
constexpr std::uint32_t watchedEvents =
    IN_CREATE | IN_OPEN | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_ONLYDIR | IN_EXCL_UNLINK;

bool isWithin(const QString &path, const QString &directory)
{
    if (directory.endsWith(QLatin1Char('/')))
        return path.startsWith(directory);
    return path.size() > directory.size() ? path.startsWith(directory) && path.at(directory.size()) == QLatin1Char('/')
                                          : path == directory;
}
} // namespace

QString InotifyWatch::Event::path() const
{
    if (name.isEmpty())
        return directory;
    return directory.endsWith(QLatin1Char('/')) ? directory + name : directory + QLatin1Char('/') + name;
}

bool InotifyWatch::Event::isDirectory() const
{
    return mask & IN_ISDIR;
}

InotifyWatch::InotifyWatch()
    : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (m_fd < 0)
        m_openError = errno;
}

InotifyWatch::~InotifyWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InotifyWatch::AddResult InotifyWatch::add(const QString &directory, bool followLink)
{
    if (m_fd < 0)
        return AddResult::failed;
    const QByteArray encoded = QFile::encodeName(directory);
    const int wd = inotify_add_watch(m_fd, encoded.constData(), watchedEvents | (followLink ? 0 : IN_DONT_FOLLOW));
    if (wd < 0)
        return errno == ENOSPC ? AddResult::limitReached : AddResult::failed;
    // The kernel hands back the same descriptor for a directory it already
    // watches; when that directory has moved, its old path goes.
    const auto known = m_paths.constFind(wd);
    if (known != m_paths.cend() && *known != directory && m_descriptors.value(*known) == wd)
        m_descriptors.remove(*known);
    const int previous = m_descriptors.value(directory, -1);
    if (previous >= 0 && previous != wd) {
        inotify_rm_watch(m_fd, previous); // whatever was here before has gone
        m_paths.remove(previous);
    }
    m_paths.insert(wd, directory);
    m_descriptors.insert(directory, wd);
    return AddResult::added;
}

void InotifyWatch::removeTree(const QString &directory)
{
    QList<int> gone;
    for (auto it = m_paths.cbegin(); it != m_paths.cend(); ++it) {
        if (isWithin(it.value(), directory))
            gone.append(it.key());
    }
    for (const int wd : gone) {
        inotify_rm_watch(m_fd, wd);
        forget(wd);
    }
}

void InotifyWatch::moveTree(const QString &from, const QString &to)
{
    QList<int> moved;
    QList<int> replaced;
    for (auto it = m_paths.cbegin(); it != m_paths.cend(); ++it) {
        if (isWithin(it.value(), from))
            moved.append(it.key());
        else if (isWithin(it.value(), to))
            replaced.append(it.key()); // a directory the move replaced
    }
    for (const int wd : replaced) {
        inotify_rm_watch(m_fd, wd);
        forget(wd);
    }
    for (const int wd : moved)
        m_descriptors.remove(m_paths.value(wd));
    for (const int wd : moved) {
        const QString path = to + m_paths.value(wd).mid(from.size());
        m_paths.insert(wd, path);
        m_descriptors.insert(path, wd);
    }
}

std::vector<InotifyWatch::Event> InotifyWatch::read(bool &overflowed)
{
    std::vector<Event> events;
    if (m_fd < 0)
        return events;
    alignas(struct inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset + ssize_t(sizeof(struct inotify_event)) <= length;) {
            struct inotify_event header;
            std::memcpy(&header, buffer + offset, sizeof header);
            const char *name = buffer + offset + sizeof header;
            offset += ssize_t(sizeof header + header.len);
            if (header.mask & IN_Q_OVERFLOW) {
                overflowed = true;
                continue;
            }
            if (header.mask & IN_IGNORED) {
                forget(header.wd);
                continue;
            }
            const auto directory = m_paths.constFind(header.wd);
            if (directory == m_paths.cend())
                continue;
            Event event;
            event.directory = *directory;
            if (header.len > 0)
                event.name = QFile::decodeName(QByteArray(name, int(strnlen(name, header.len))));
            event.mask = header.mask;
            event.cookie = header.cookie;
            events.push_back(std::move(event));
        }
    }
    return events;
}

void InotifyWatch::forget(int wd)
{
    const QString path = m_paths.take(wd);
    if (!path.isNull() && m_descriptors.value(path, -1) == wd)
        m_descriptors.remove(path);
}
