#include "FileNameBytes.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace FileNameBytes {

bool isText(const QByteArray &bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

QList<Entry> undecodableIn(const QString &folder)
{
    QList<Entry> entries;
    const QByteArray encoded = QFile::encodeName(folder);
    const std::unique_ptr<DIR, int (*)(DIR *)> listing(::opendir(encoded.constData()), ::closedir);
    if (!listing)
        return entries;
    const QString textPrefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    const QByteArray bytePrefix = encoded.endsWith('/') ? encoded : encoded + '/';
    while (const struct dirent *entry = ::readdir(listing.get())) {
        const QByteArray name(entry->d_name);
        if (!isText(name))
            entries.append({textPrefix + QFile::decodeName(name), bytePrefix + name});
    }
    return entries;
}

std::optional<QByteArray> undecodable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.fileName().contains(QChar::ReplacementCharacter))
        return std::nullopt;
    // A name that holds a real U+FFFD is valid text: when it exists as
    // written, the path is that entry and no other.
    struct stat asWritten;
    if (::lstat(QFile::encodeName(path).constData(), &asWritten) == 0)
        return std::nullopt;
    const QString folder = info.path();
    const QString wanted = (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) + info.fileName();
    for (const Entry &entry : undecodableIn(folder)) {
        if (entry.path == wanted)
            return entry.encoded;
    }
    return std::nullopt;
}

} // namespace FileNameBytes
