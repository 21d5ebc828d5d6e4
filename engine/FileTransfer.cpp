#include "FileTransfer.h"

#include "FileDescriptor.h"
#include "FileOperationError.h"
#include "KillPoint.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace FileTransfer {

namespace {

// A failed system call inside a copy, carried out to the message.
struct SystemError
{
    int error;
};

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString reason(int error)
{
    if (error == EEXIST)
        return FileOperationError::message(FileOperationError::Message::nameTaken);
    return QString::fromLocal8Bit(std::strerror(error));
}

QString displayName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

const QLatin1String temporaryPrefix(".filewright-");

// The process id in the name tells whose copy it is, for removeLeftovers.
QString temporaryNameIn(const QString &folder)
{
    return folder + QLatin1Char('/') + temporaryPrefix + QString::number(::getpid()) + QLatin1Char('-')
        + QUuid::createUuid().toString(QUuid::Id128).left(16) + QStringLiteral(".part");
}

void check(bool ok)
{
    if (!ok)
        throw SystemError{errno};
}

// Extended attributes (tags among them) go along with the copy. A target
// file system that refuses some of them keeps the copy without them.
void copyAttributes(int source, int target)
{
    ssize_t size = ::flistxattr(source, nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(size));
    size = ::flistxattr(source, names.data(), names.size());
    if (size <= 0)
        return;
    for (const char *name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
        const ssize_t valueSize = ::fgetxattr(source, name, nullptr, 0);
        if (valueSize < 0)
            continue;
        std::vector<char> value(static_cast<std::size_t>(valueSize));
        const ssize_t read = ::fgetxattr(source, name, value.data(), value.size());
        if (read >= 0)
            ::fsetxattr(target, name, value.data(), static_cast<std::size_t>(read), 0);
    }
}

void copyContents(int source, int target)
{
    bool useCopyRange = true;
    std::vector<char> buffer;
    for (;;) {
        if (useCopyRange) {
            const ssize_t copied = ::copy_file_range(source, nullptr, target, nullptr, 1 << 30, 0);
            if (copied == 0)
                return;
            if (copied > 0)
                continue;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EPERM)
                throw SystemError{errno};
            useCopyRange = false;
            buffer.resize(1 << 20);
        }
        const ssize_t read = ::read(source, buffer.data(), buffer.size());
        if (read == 0)
            return;
        if (read < 0) {
            if (errno == EINTR)
                continue;
            throw SystemError{errno};
        }
        for (ssize_t written = 0; written < read;) {
            const ssize_t n = ::write(target, buffer.data() + written, static_cast<std::size_t>(read - written));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw SystemError{errno};
            }
            written += n;
        }
    }
}

// Removes what a failed copy left at its temporary name; never follows links.
void removeTree(const QByteArray &path)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return;
    if (!S_ISDIR(info.st_mode)) {
        ::unlink(path.constData());
        return;
    }
    if (DIR *dir = ::opendir(path.constData())) {
        std::vector<QByteArray> children;
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                children.push_back(path + '/' + entry->d_name);
        }
        ::closedir(dir);
        for (const QByteArray &child : children)
            removeTree(child);
    }
    ::rmdir(path.constData());
}

// Removes the source of a move across file systems, but only what has its
// twin in the copy (same kind, size and modification time): anything that
// appeared or changed meanwhile stays where it is.
void removeCopied(const QByteArray &source, const QByteArray &copy)
{
    struct stat info;
    struct stat twin;
    if (::lstat(source.constData(), &info) != 0 || ::lstat(copy.constData(), &twin) != 0)
        return;
    if ((info.st_mode & S_IFMT) != (twin.st_mode & S_IFMT))
        return;
    if (!S_ISDIR(info.st_mode)) {
        if (info.st_size == twin.st_size && info.st_mtim.tv_sec == twin.st_mtim.tv_sec
            && info.st_mtim.tv_nsec == twin.st_mtim.tv_nsec)
            ::unlink(source.constData());
        return;
    }
    if (DIR *dir = ::opendir(source.constData())) {
        std::vector<QByteArray> names;
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
        for (const QByteArray &name : names)
            removeCopied(source + '/' + name, copy + '/' + name);
    }
    ::rmdir(source.constData());
}

// Copies one item to a name that must not exist yet. Throws SystemError.
void copyTree(const QByteArray &from, const QByteArray &to, bool durable)
{
    struct stat info;
    check(::lstat(from.constData(), &info) == 0);
    const timespec times[2] = {info.st_atim, info.st_mtim};

    if (S_ISREG(info.st_mode)) {
        FileDescriptor source(::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        check(source.get() >= 0);
        FileDescriptor target(::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        check(target.get() >= 0);
        copyContents(source.get(), target.get());
        copyAttributes(source.get(), target.get());
        check(::fchmod(target.get(), info.st_mode & 07777) == 0);
        ::futimens(target.get(), times);
        if (durable)
            check(::fsync(target.get()) == 0);
        check(target.close() == 0);
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        check(::mkdir(to.constData(), 0700) == 0);
        DIR *dir = ::opendir(from.constData());
        check(dir != nullptr);
        std::vector<QByteArray> names;
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
        for (const QByteArray &name : names)
            copyTree(from + '/' + name, to + '/' + name, durable);
        FileDescriptor source(::open(from.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        FileDescriptor target(::open(to.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        check(target.get() >= 0);
        if (source.get() >= 0)
            copyAttributes(source.get(), target.get());
        check(::fchmod(target.get(), info.st_mode & 07777) == 0);
        ::futimens(target.get(), times);
        if (durable)
            ::fsync(target.get());
        return;
    }
    if (S_ISLNK(info.st_mode)) {
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t length = ::readlink(from.constData(), target.data(), target.size() - 1);
        check(length >= 0);
        target[static_cast<std::size_t>(length)] = '\0';
        check(::symlink(target.data(), to.constData()) == 0);
        ::utimensat(AT_FDCWD, to.constData(), times, AT_SYMLINK_NOFOLLOW);
        return;
    }
    throw SystemError{ENOTSUP}; // devices, sockets and pipes are not filed
}

constexpr int noUnnamedFiles = -1;

// A regular file is copied into an unnamed file of the target folder and
// linked to its name only when whole, so that a crash leaves nothing
// behind; linking refuses a taken name. Returns 0, the errno of the failed
// step, or noUnnamedFiles where the file system (or the item) does not allow it.
int copyUnnamed(const QString &from, const QString &to, bool durable)
{
    struct stat info;
    const QByteArray source = encoded(from);
    if (::lstat(source.constData(), &info) != 0)
        return errno;
    if (!S_ISREG(info.st_mode))
        return noUnnamedFiles;
    FileDescriptor input(::open(source.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (input.get() < 0)
        return errno;
    FileDescriptor target(::open(encoded(folderOf(to)).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (target.get() < 0)
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? noUnnamedFiles : errno;
    try {
        const timespec times[2] = {info.st_atim, info.st_mtim};
        copyContents(input.get(), target.get());
        copyAttributes(input.get(), target.get());
        check(::fchmod(target.get(), info.st_mode & 07777) == 0);
        ::futimens(target.get(), times);
        if (durable)
            check(::fsync(target.get()) == 0);
    } catch (const SystemError &failure) {
        return failure.error;
    }
    KillPoint::reach();
    const QByteArray handle = "/proc/self/fd/" + QByteArray::number(target.get());
    if (::linkat(AT_FDCWD, handle.constData(), AT_FDCWD, encoded(to).constData(), AT_SYMLINK_FOLLOW) != 0)
        return errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0 ? noUnnamedFiles : errno;
    return 0;
}

// Copies `from` into the target folder under a temporary name, then renames
// it to `to` without replacing. Returns 0, or the errno of the failed step.
int copyIntoPlace(const QString &from, const QString &to, bool durable)
{
    if (const int unnamed = copyUnnamed(from, to, durable); unnamed != noUnnamedFiles)
        return unnamed;
    const QByteArray temporary = encoded(temporaryNameIn(folderOf(to)));
    try {
        copyTree(encoded(from), temporary, durable);
    } catch (const SystemError &failure) {
        removeTree(temporary);
        return failure.error;
    }
    KillPoint::reach();
    const int renamed = renameNoReplace(QFile::decodeName(temporary), to);
    if (renamed != 0)
        removeTree(temporary);
    return renamed;
}

} // namespace

int renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;

    // A file system without the refusing rename: a hard link refuses an
    // occupied name too; folders and link-less file systems check first.
    struct stat info;
    if (::lstat(source.constData(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode)) {
        if (::link(source.constData(), target.constData()) == 0) {
            if (::unlink(source.constData()) == 0)
                return 0;
            const int error = errno;
            ::unlink(target.constData());
            return error;
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
            return errno;
    }
    struct stat occupied;
    if (::lstat(target.constData(), &occupied) == 0)
        return EEXIST;
    if (::rename(source.constData(), target.constData()) != 0)
        return errno;
    return 0;
}

void removeLeftovers(const QString &folder)
{
    DIR *dir = ::opendir(encoded(folder).constData());
    if (!dir)
        return;
    std::vector<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, temporaryPrefix.data(), std::size_t(temporaryPrefix.size())) == 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const QByteArray &name : names) {
        bool ok = false;
        const qint64 pid = name.mid(temporaryPrefix.size()).split('-').value(0).toLongLong(&ok);
        if (ok && pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno != ESRCH))
            continue; // the copy of a process that still runs
        removeTree(encoded(folder) + '/' + name);
    }
}

bool sameContent(const QString &first, const QString &second)
{
    if (!QFileInfo(first).isFile() || !QFileInfo(second).isFile())
        return false;
    QFile a(first);
    QFile b(second);
    if (a.size() != b.size() || !a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly))
        return false;
    while (!a.atEnd()) {
        if (a.read(1 << 20) != b.read(1 << 20))
            return false;
    }
    return true;
}

QStringList makeFolders(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList created;
    QString current;
    for (const QString &part : parts) {
        current += QLatin1Char('/') + part;
        const QByteArray name = encoded(current);
        struct stat info;
        if (::stat(name.constData(), &info) == 0) {
            if (S_ISDIR(info.st_mode))
                continue;
            throw FileOperationError::failed(FileOperationError::message(FileOperationError::Message::folderNotCreated)
                                                 .arg(displayName(clean), reason(ENOTDIR)));
        }
        // A folder that another hand made in between is not this call's.
        if (::mkdir(name.constData(), 0777) == 0)
            created.append(current);
        else if (errno != EEXIST)
            throw FileOperationError::failed(FileOperationError::message(FileOperationError::Message::folderNotCreated)
                                                 .arg(displayName(clean), reason(errno)));
    }
    return created;
}

void move(const QString &from, const QString &to)
{
    const auto failure = [&](int error) {
        return FileOperationError::failed(FileOperationError::message(FileOperationError::Message::notMoved)
                                              .arg(displayName(from), displayName(folderOf(to)), reason(error)));
    };

    const int renamed = renameNoReplace(from, to);
    if (renamed == 0)
        return;
    if (renamed != EXDEV)
        throw failure(renamed);

    // Another file system: copy durably, put the copy in place, then let go of the original.
    struct stat info;
    if (::lstat(encoded(to).constData(), &info) == 0)
        throw failure(EEXIST);
    const int copied = copyIntoPlace(from, to, true);
    if (copied != 0)
        throw failure(copied);
    KillPoint::reach();

    const QByteArray source = encoded(from);
    if (::lstat(source.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        removeCopied(source, encoded(to));
        if (::lstat(source.constData(), &info) == 0)
            throw FileOperationError::failed(
                FileOperationError::message(FileOperationError::Message::originalKept)
                    .arg(displayName(from), displayName(folderOf(to))));
        return;
    }
    if (::unlink(source.constData()) != 0) {
        const int error = errno;
        ::unlink(encoded(to).constData()); // the original stays; take the copy back
        throw failure(error);
    }
}

void copy(const QString &from, const QString &to)
{
    struct stat info;
    if (::lstat(encoded(to).constData(), &info) == 0) {
        throw FileOperationError::failed(FileOperationError::message(FileOperationError::Message::notCopied)
                                             .arg(displayName(from), displayName(folderOf(to)), reason(EEXIST)));
    }
    const int copied = copyIntoPlace(from, to, false);
    if (copied != 0)
        throw FileOperationError::failed(FileOperationError::message(FileOperationError::Message::notCopied)
                                             .arg(displayName(from), displayName(folderOf(to)), reason(copied)));
}

} // namespace FileTransfer
