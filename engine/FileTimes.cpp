#include "FileTimes.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace {
QDateTime toDateTime(const struct statx_timestamp &stamp)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(stamp.tv_sec) * 1000 + stamp.tv_nsec / 1000000, Qt::UTC);
}
} // namespace

FileTimes FileTimes::read(const QString &path)
{
    return readEncoded(QFile::encodeName(path));
}

FileTimes FileTimes::readEncoded(const QByteArray &path)
{
    FileTimes times;
    struct statx info {};
    if (statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW,
              STATX_BTIME | STATX_CTIME | STATX_MTIME, &info) != 0)
        return times;
    if (info.stx_mask & STATX_BTIME)
        times.created = toDateTime(info.stx_btime);
    if (info.stx_mask & STATX_CTIME)
        times.added = toDateTime(info.stx_ctime);
    if (info.stx_mask & STATX_MTIME)
        times.modified = toDateTime(info.stx_mtime);
    return times;
}
