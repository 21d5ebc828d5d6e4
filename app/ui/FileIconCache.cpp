#include "FileIconCache.h"

#include "FileIcon.h"

#include <QFile>

#include <sys/stat.h>

namespace {

// Paths and pixmaps scrolled past are dropped now and then, all at once.
constexpr qsizetype mostPaths = 5000;
// Icons made per folder (by the file manager's provider) are not kept for ever.
constexpr qsizetype mostPixmaps = 500;

} // namespace

FileIconCache::Stamp FileIconCache::stampOf(const QString &path)
{
    Stamp stamp;
    struct stat info{};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.type = info.st_mode & S_IFMT;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedSeconds = info.st_mtim.tv_sec;
    stamp.modifiedNanoseconds = info.st_mtim.tv_nsec;
    return stamp;
}

QPixmap FileIconCache::pixmap(const QString &path, const QSize &size, qreal ratio)
{
    const Stamp stamp = stampOf(path);
    auto known = m_known.find(path);
    if (known == m_known.end() || known->stamp != stamp) {
        if (known == m_known.end() && m_known.size() >= mostPaths)
            m_known.clear();
        const QIcon icon = FileIcon::icon(path);
        Known fresh{stamp, icon, icon.name().isEmpty() ? QString::number(icon.cacheKey()) : icon.name()};
        if (known == m_known.end())
            known = m_known.insert(path, fresh);
        else
            *known = fresh;
    }
    const QString key = known->name + QLatin1Char('@') + QString::number(size.width()) + QLatin1Char('x')
        + QString::number(size.height()) + QLatin1Char('x') + QString::number(ratio);
    auto found = m_pixmaps.constFind(key);
    if (found == m_pixmaps.constEnd()) {
        if (m_pixmaps.size() >= mostPixmaps)
            m_pixmaps.clear();
        found = m_pixmaps.insert(key, known->icon.pixmap(size, ratio));
    }
    return *found;
}
