#include "FileIcon.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QPainter>
#include <QStyle>

FileIcon::FileIcon(const QString &path, int size, QWidget *parent)
    : QWidget(parent)
    , m_path(path)
    , m_size(size)
{
    setFixedSize(size, size);
}

QIcon FileIcon::icon(const QString &path)
{
    const QFileInfo info(path);
    if (!path.isEmpty() && info.exists()) {
        static const QFileIconProvider provider;
        const QIcon found = provider.icon(info);
        if (!found.isNull())
            return found;
    }
    // Gone: the icon of what its extension says it was, made once per type
    // (the style's fallback icon reads its images from disk each time).
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    static QHash<QString, QIcon> byType;
    const auto found = byType.constFind(type.name());
    if (found != byType.constEnd())
        return *found;
    static const QIcon generic = QIcon::fromTheme(QStringLiteral("application-octet-stream"),
                                                  QApplication::style()->standardIcon(QStyle::SP_FileIcon));
    return *byType.insert(type.name(), QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), generic)));
}

void FileIcon::setPath(const QString &path)
{
    m_path = path;
    update();
}

void FileIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    icon(m_path).paint(&painter, rect(), Qt::AlignCenter);
}
