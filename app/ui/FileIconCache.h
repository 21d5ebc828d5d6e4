// The icons of many paths drawn over and over, as a long list draws them
// while it scrolls. A path's icon is worked out again whenever what the file
// system reports of the path (there or not, its type, its identity, size and
// modification time) differs from when it was last worked out: a folder
// removed, a file that appears or is replaced shows its new icon on the next
// paint. Icons are drawn from pixmaps made once per icon, size and ratio.
#pragma once

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QString>

class FileIconCache
{
public:
    QPixmap pixmap(const QString &path, const QSize &size, qreal ratio);

private:
    // What one look at the file system tells of a path.
    struct Stamp
    {
        bool exists = false;
        quint32 type = 0;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedSeconds = 0;
        qint64 modifiedNanoseconds = 0;
        bool operator==(const Stamp &) const = default;
    };
    struct Known
    {
        Stamp stamp;
        QIcon icon;
        // Icons of one name look alike; one without a name is told by its cache key.
        QString name;
    };
    static Stamp stampOf(const QString &path);

    QHash<QString, Known> m_known;
    QHash<QString, QPixmap> m_pixmaps;
};
