// Stored (uncompressed) ZIP archives. The writer is our own, small and exact:
// UTF-8 names, one time stamp for all entries, no compression, no ZIP64.
#pragma once

#include <QCoreApplication>
#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <exception>
#include <functional>
#include <stdexcept>

class QFile;

namespace ZipWriter {

// What an archive as written here can hold: sizes and offsets are 32-bit,
// counts and name lengths 16-bit, and the time stamp covers 1980 to 2107.
inline constexpr quint64 maxEntries = 0xFFFF;
inline constexpr quint64 maxArchiveSize = 0xFFFFFFFF;
inline constexpr qsizetype maxNameBytes = 0xFFFF;
inline constexpr int lastStampYear = 2107;

// An archive that would not fit these limits is refused (never written with a
// truncated field), and so is an entry name that is empty, absolute, holds a
// ".." folder, a backslash or a NUL character; a write to the archive file
// that fails is reported too.
class Error : public std::runtime_error
{
    Q_DECLARE_TR_FUNCTIONS(ZipWriter)

public:
    explicit Error(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// The writing was stopped by a stream's progress callback. The archive file
// is left half written, for the caller to remove.
class Stopped : public std::exception
{
public:
    const char *what() const noexcept override;
};

// One file of an archive: its path inside the archive, with "/" between
// folder and file name, and its bytes.
struct Entry
{
    QString name;
    QByteArray data;
};

// The bytes of a stored archive holding the entries in the given order, every
// entry stamped with the local time of `date`. Throws Error beyond the limits.
QByteArray archive(const QList<Entry> &entries, const QDateTime &date);

// Writes the same archive straight into a file, one entry after the other, so
// that a file put in is streamed through a small buffer instead of being held
// in memory. The file must be open for writing, empty, and seekable (each
// entry's checksum is filled into its header once its data has been written).
class Stream
{
public:
    // Told, after every piece of a file put in (a megabyte at most), how many
    // bytes of files the archive holds so far; returns false to stop, and the
    // stream then throws Stopped. So a stop ends the writing within a piece,
    // however large one file is.
    using Progress = std::function<bool(quint64 copied)>;

    // Throws Error when `date` cannot be stamped.
    Stream(QFile &file, const QDateTime &date, Progress progress = {});
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;

    // Adds an entry from memory. Throws Error.
    void add(const QString &name, QByteArrayView data);

    // Adds the content of the regular file at `path`. Returns false, leaving
    // nothing of it in the archive, when the file cannot be opened or read
    // (missing, no access, a folder or other non-regular file). Throws Error
    // when it would break a limit or the archive cannot be written, Stopped
    // when the progress callback stops it.
    bool addFile(const QString &name, const QString &path);
    // The same for a path in the file system's own bytes.
    bool addFile(const QString &name, const QByteArray &nativePath);

    // How many bytes of files the archive holds so far.
    quint64 copied() const { return m_copied; }

    // Writes the central directory and the end record. Throws Error.
    void finish();

private:
    void put(QByteArrayView bytes);
    void putAt(quint64 position, QByteArrayView bytes);
    void rollBack(quint64 position);

    QFile &m_file;
    const Progress m_progress;
    quint16 m_time = 0;
    quint16 m_date = 0;
    quint64 m_offset = 0;
    quint64 m_count = 0;
    quint64 m_copied = 0;
    QByteArray m_directory;
    QByteArray m_buffer;
    bool m_finished = false;
};

} // namespace ZipWriter
