#include "FileIcon.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
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

namespace {

// A type's icon from the icon theme: its own name, then its generic one
// ("application-pdf", then "x-office-document"), then the theme's icon of
// unknown data, then the style's plain page.
QIcon typeIcon(const QMimeType &type)
{
    for (const QString &name : {type.iconName(), type.genericIconName(), QStringLiteral("application-octet-stream")}) {
        if (name.isEmpty())
            continue;
        const QIcon themed = QIcon::fromTheme(name);
        if (!themed.isNull())
            return themed;
    }
    // The style reads its images from disk each time: made once.
    static const QIcon page = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return page;
}

} // namespace

QIcon FileIcon::icon(const QString &path)
{
    const QFileInfo info(path);
    const bool exists = !path.isEmpty() && info.exists();
    if (exists && info.isDir()) {
        static const QFileIconProvider provider;
        const QIcon folder = provider.icon(info);
        if (!folder.isNull())
            return folder;
    }
    // A file by its type, whether it is still there or not: the provider
    // gives the style's plain page for every file where no platform theme
    // stands behind it. An existing file's content tells its type only when
    // its name does not.
    const QMimeDatabase types;
    return typeIcon(exists ? types.mimeTypeForFile(info)
                           : types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension));
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
