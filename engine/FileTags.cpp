#include "FileTags.h"

#include "FileOperationError.h"

#include <QFile>
#include <QFileInfo>

#include <sys/xattr.h>

#include <cerrno>
#include <cstring>

namespace FileTags {

namespace {
QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

std::optional<QStringList> read(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    QByteArray buffer;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::getxattr(name.constData(), attributeName, nullptr, 0);
        if (size < 0)
            break;
        buffer.resize(size);
        const ssize_t read = ::getxattr(name.constData(), attributeName, buffer.data(), buffer.size());
        if (read >= 0) {
            buffer.truncate(read);
            return QString::fromUtf8(buffer).split(QLatin1Char(','), Qt::SkipEmptyParts);
        }
        if (errno != ERANGE) // ERANGE: the list grew between the two calls
            break;
    }
    if (errno == ENODATA || errno == ENOTSUP)
        return QStringList();
    return std::nullopt;
}

void write(const QString &path, const QStringList &tags)
{
    const QByteArray name = QFile::encodeName(path);
    int result;
    if (tags.isEmpty()) {
        result = ::removexattr(name.constData(), attributeName);
        if (result != 0 && errno == ENODATA)
            result = 0;
    } else {
        const QByteArray value = tags.join(QLatin1Char(',')).toUtf8();
        result = ::setxattr(name.constData(), attributeName, value.constData(), value.size(), 0);
    }
    if (result == 0)
        return;
    const int error = errno;
    const QString file = QFileInfo(path).fileName();
    if (error == ENOTSUP)
        throw FileOperationError::failed(
            FileOperationError::message(FileOperationError::Message::tagsUnsupported).arg(file));
    throw FileOperationError::failed(
        FileOperationError::message(FileOperationError::Message::tagsNotSaved).arg(file, reason(error)));
}

} // namespace FileTags
