#include "Trash.h"

#include "FileOperationError.h"
#include "FileTransfer.h"
#include "Graphemes.h"
#include "KillPoint.h"
#include "NameTemplate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <optional>

namespace Trash {

namespace {

struct Place
{
    QString root; // the trash folder with its files/ and info/
    QString topDirectory; // empty for the home trash: paths are written absolute
};

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

std::optional<dev_t> deviceOf(const QString &path)
{
    struct stat info;
    if (::lstat(encoded(path).constData(), &info) != 0)
        return std::nullopt;
    return info.st_dev;
}

// The device of the path, or of its nearest existing ancestor.
dev_t deviceOfNearest(QString path)
{
    for (;;) {
        if (const auto device = deviceOf(path))
            return *device;
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            return 0;
        path = parent;
    }
}

// A folder owned by us, made with mode 0700 when missing; never a link.
bool ownFolder(const QString &path)
{
    const QByteArray name = encoded(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info;
    return ::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

bool prepare(const QString &root)
{
    return ownFolder(root) && ownFolder(root + QStringLiteral("/files")) && ownFolder(root + QStringLiteral("/info"));
}

// The top folder of the file system that holds the path's folder.
QString topDirectoryOf(const QString &folder, dev_t device)
{
    QString top = folder;
    for (;;) {
        const QString parent = QFileInfo(top).absolutePath();
        if (parent == top || deviceOf(parent) != device)
            return top;
        top = parent;
    }
}

std::optional<Place> placeFor(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const auto device = deviceOf(folder);
    if (!device)
        return std::nullopt;

    const QString home = homeTrash();
    if (deviceOfNearest(home) == *device) {
        QDir().mkpath(QFileInfo(home).absolutePath());
        if (!prepare(home))
            return std::nullopt;
        return Place{home, QString()};
    }

    const QString top = topDirectoryOf(folder, *device);
    const QString uid = QString::number(::getuid());
    const QString shared = top + QStringLiteral("/.Trash");
    struct stat info;
    if (::lstat(encoded(shared).constData(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        const QString root = shared + QLatin1Char('/') + uid;
        if (prepare(root))
            return Place{root, top};
    }
    const QString own = top + QStringLiteral("/.Trash-") + uid;
    if (prepare(own))
        return Place{own, top};
    return std::nullopt;
}

// A name and its info file's name (the name plus ".trashinfo") both fit the
// file system's 255 bytes when the name keeps within this many.
constexpr qsizetype maxTrashNameBytes = 255 - qsizetype(sizeof(".trashinfo") - 1);

qsizetype utf8Size(QStringView text)
{
    return text.toUtf8().size();
}

// The start of the text in at most maxBytes of UTF-8, cut between whole
// characters as a reader counts them, so that an accent stays with its
// letter or goes with it; a first character longer than that is cut between
// its code points. Blanks that would end it are left out, but a start of
// nothing but blanks keeps its first one, so that a name never loses its
// start to the extension behind it.
QString fittedStart(const QString &text, qsizetype maxBytes)
{
    const QString kept = NameTemplate::fitBytes(text, maxBytes);
    if (kept.isEmpty() && !text.isEmpty() && !text[0].isSurrogate() && utf8Size(text.first(1)) <= maxBytes)
        return text.first(1);
    return kept;
}

// The n-th name the item may get in the Trash: its own name, then "stem 2.ext",
// "stem 3.ext" ... A name too long for the Trash loses the end of its stem
// (never part of a character) so that with the number it keeps within
// maxTrashNameBytes; the info file keeps the original path. The stem keeps
// at least its first character, so that the name keeps its start and is
// never hidden: where the extension leaves no room for that, the extension
// loses its end instead.
QString candidateName(const QString &name, int n)
{
    const QString suffix = n == 1 ? QString() : QLatin1Char(' ') + QString::number(n);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot <= 0 ? name : name.left(dot);
    const QString extension = dot <= 0 ? QString() : name.mid(dot);
    if (utf8Size(name) + utf8Size(suffix) <= maxTrashNameBytes)
        return stem + suffix + extension;
    const qsizetype room = maxTrashNameBytes - utf8Size(suffix);
    const qsizetype stemRoom = room - utf8Size(extension);
    const qsizetype firstSize = utf8Size(Graphemes::left(stem, 1));
    // A first character too long for any name is cut between its code
    // points whatever the extension: that one is then kept where it can be.
    constexpr qsizetype longestCodePoint = 4;
    if (firstSize <= stemRoom || (firstSize > room && stemRoom >= longestCodePoint))
        return fittedStart(stem, stemRoom) + suffix + extension;
    const QString kept = fittedStart(stem, std::min(firstSize, room));
    return kept + suffix + NameTemplate::fitBytes(extension, room - utf8Size(kept));
}

// Whether trashName is one of the names candidateName gives name.
bool isCandidateName(const QString &trashName, const QString &name)
{
    if (trashName == candidateName(name, 1))
        return true;
    // The number follows one of its blanks: each blank followed by digits is tried.
    for (qsizetype blank = trashName.indexOf(QLatin1Char(' ')); blank >= 0;
         blank = trashName.indexOf(QLatin1Char(' '), blank + 1)) {
        qsizetype end = blank + 1;
        while (end < trashName.size() && trashName[end].isDigit() && trashName[end].unicode() < 0x80)
            ++end;
        bool ok = false;
        const int n = trashName.sliced(blank + 1, end - blank - 1).toInt(&ok);
        if (ok && n >= 2 && trashName == candidateName(name, n))
            return true;
    }
    return false;
}

QByteArray infoText(const QString &path, const Place &place, const QDateTime &now)
{
    QString written = path;
    if (!place.topDirectory.isEmpty())
        written = QDir(place.topDirectory).relativeFilePath(path);
    return QByteArrayLiteral("[Trash Info]\nPath=") + QUrl::toPercentEncoding(written, "/")
        + QByteArrayLiteral("\nDeletionDate=") + now.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toUtf8()
        + '\n';
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<std::size_t>(bytes.size() - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += n;
    }
    return true;
}

} // namespace

QString homeTrash()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/Trash"));
}

void removeUnfinished(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString name = QFileInfo(absolute).fileName();
    const auto place = placeFor(absolute);
    if (name.isEmpty() || !place)
        return;
    QString written = absolute;
    if (!place->topDirectory.isEmpty())
        written = QDir(place->topDirectory).relativeFilePath(absolute);
    const QByteArray line = QByteArrayLiteral("Path=") + QUrl::toPercentEncoding(written, "/");
    // Every name this item may have been given ("name", "name 2.ext", ...),
    // not only those up to the first free one: an item trashed meanwhile
    // under a lower name and taken out again leaves a gap.
    const QString infoFolder = place->root + QStringLiteral("/info/");
    const QStringList infos = QDir(infoFolder).entryList({QStringLiteral("*.trashinfo")}, QDir::Files | QDir::Hidden);
    for (const QString &infoName : infos) {
        const QString trashName = infoName.chopped(int(qstrlen(".trashinfo")));
        if (!isCandidateName(trashName, name))
            continue;
        QFile info(infoFolder + infoName);
        if (!info.open(QIODevice::ReadOnly) || !info.readAll().split('\n').contains(line))
            continue;
        struct stat item;
        if (::lstat(encoded(place->root + QStringLiteral("/files/") + trashName).constData(), &item) != 0)
            ::unlink(encoded(infoFolder + infoName).constData());
    }
}

QString moveToTrash(const QString &path, const QDateTime &now)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString name = QFileInfo(absolute).fileName();
    const auto failure = [&](const QString &why) {
        return FileOperationError::failed(FileOperationError::message(FileOperationError::Message::notTrashed).arg(name, why));
    };

    struct stat info;
    if (name.isEmpty() || ::lstat(encoded(absolute).constData(), &info) != 0)
        throw failure(QString::fromLocal8Bit(std::strerror(name.isEmpty() ? EINVAL : errno)));
    const auto place = placeFor(absolute);
    if (!place)
        throw failure(FileOperationError::message(FileOperationError::Message::noTrashFolder));

    for (int n = 1; n < 100000; ++n) {
        const QString trashName = candidateName(name, n);
        const QString infoPath = place->root + QStringLiteral("/info/") + trashName + QStringLiteral(".trashinfo");
        const QString filePath = place->root + QStringLiteral("/files/") + trashName;

        // The .trashinfo made exclusively reserves the name.
        const int fd = ::open(encoded(infoPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            throw failure(QString::fromLocal8Bit(std::strerror(errno)));
        }
        const bool written = writeAll(fd, infoText(absolute, *place, now));
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            const int error = errno;
            ::unlink(encoded(infoPath).constData());
            throw failure(QString::fromLocal8Bit(std::strerror(error)));
        }

        KillPoint::reach();
        const int moved = FileTransfer::renameNoReplace(absolute, filePath);
        if (moved == 0)
            return filePath;
        ::unlink(encoded(infoPath).constData());
        if (moved != EEXIST)
            throw failure(QString::fromLocal8Bit(std::strerror(moved)));
    }
    throw failure(QString::fromLocal8Bit(std::strerror(EEXIST)));
}

} // namespace Trash
