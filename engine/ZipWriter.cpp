#include "ZipWriter.h"

#include "Crc32.h"
#include "FileDescriptor.h"
#include "ReadPause.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <thread>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using ZipWriter::Error;

constexpr quint32 localSignature = 0x04034B50;
constexpr quint32 centralSignature = 0x02014B50;
constexpr quint32 endSignature = 0x06054B50;
constexpr quint16 version = 20;
// Made by version 2.0 on a Unix host (upper byte 3): readers then take the
// names as the UTF-8 the flag says and the attributes below as a Unix mode.
// With MS-DOS here, Info-ZIP's unzip reads the names as code page 437.
constexpr quint16 versionMadeBy = 0x0314;
constexpr quint16 utf8Names = 0x0800;
constexpr quint16 stored = 0;
// A regular file with mode 644, in the upper 16 bits.
constexpr quint32 externalAttributes = 0x81A40000;
constexpr qsizetype localHeaderSize = 30;
constexpr qsizetype centralRecordSize = 46;
constexpr qsizetype endRecordSize = 22;
// Where the checksum and the two sizes sit in a local header.
constexpr qsizetype localChecksumOffset = 14;
constexpr qsizetype readChunk = 1 << 20;

struct DosStamp
{
    quint16 time;
    quint16 date;
};

void append16(QByteArray &out, quint16 value)
{
    const char bytes[2] = {char(value & 0xFF), char(value >> 8)};
    out.append(bytes, 2);
}

void append32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// The local time of `date` in the MS-DOS form: two-second resolution, years
// from 1980. An earlier date is stamped with the year 1980; a year after 2107
// has no stamp and is refused.
DosStamp dosStamp(const QDateTime &date)
{
    if (!date.isValid())
        throw Error(Error::tr("The archive has no valid date to stamp its entries with."));
    const QDateTime local = date.toLocalTime();
    const QDate day = local.date();
    const QTime time = local.time();
    if (day.year() > ZipWriter::lastStampYear)
        throw Error(Error::tr("The date %1 cannot be stamped into a ZIP archive, which holds "
                              "the years 1980 to 2107 only.")
                        .arg(local.toString(Qt::ISODate)));
    const int years = std::max(day.year() - 1980, 0);
    return {quint16(time.hour() * 2048 + time.minute() * 32 + time.second() / 2),
            quint16(years * 512 + day.month() * 32 + day.day())};
}

QString shortened(const QString &name)
{
    constexpr qsizetype shown = 60;
    return name.size() <= shown ? name : name.left(shown) + QStringLiteral("…");
}

// Refuses a name that an extracting tool could take for a place outside the
// folder it extracts into, or could not write at all: an empty name, an
// absolute one, a ".." folder, a backslash (a folder separator elsewhere) or
// a NUL character.
void checkName(const QString &name)
{
    const bool climbs = name.split(u'/').contains(QStringLiteral(".."));
    if (name.isEmpty() || name.startsWith(u'/') || climbs || name.contains(u'\\') || name.contains(QChar(0)))
        throw Error(Error::tr("“%1” cannot be the name of a file in a ZIP archive.")
                        .arg(shortened(name).replace(QChar(0), u' ')));
}

// Refuses an entry that would push the archive past the format's limits.
// `offset` is where its local header begins and `directorySize` the size of
// the central directory so far; the check covers the finished archive with
// this entry's central record and the end record.
void checkRoom(const QString &name, qsizetype nameBytes, quint64 size, quint64 count, quint64 offset,
               quint64 directorySize)
{
    if (count >= ZipWriter::maxEntries)
        throw Error(Error::tr("The archive would hold more than 65,535 entries, more than a ZIP "
                              "archive can list."));
    if (nameBytes > ZipWriter::maxNameBytes)
        throw Error(Error::tr("The name “%1” is longer than the 65,535 bytes a ZIP archive allows.")
                        .arg(shortened(name)));
    const quint64 total = offset + localHeaderSize + quint64(nameBytes) + size + directorySize + centralRecordSize
        + quint64(nameBytes) + endRecordSize;
    if (size > ZipWriter::maxArchiveSize || total > ZipWriter::maxArchiveSize)
        throw Error(Error::tr("The archive would be larger than 4 GiB with “%1”, more than a ZIP "
                              "archive can hold.")
                        .arg(shortened(name)));
}

QByteArray localHeader(const QByteArray &name, quint32 crc, quint32 size, DosStamp stamp)
{
    QByteArray out;
    out.reserve(localHeaderSize + name.size());
    append32(out, localSignature);
    append16(out, version);
    append16(out, utf8Names);
    append16(out, stored);
    append16(out, stamp.time);
    append16(out, stamp.date);
    append32(out, crc);
    append32(out, size);
    append32(out, size);
    append16(out, quint16(name.size()));
    append16(out, 0);
    out.append(name);
    return out;
}

void appendCentralRecord(QByteArray &out, const QByteArray &name, quint32 crc, quint32 size, quint32 offset,
                         DosStamp stamp)
{
    append32(out, centralSignature);
    append16(out, versionMadeBy);
    append16(out, version);
    append16(out, utf8Names);
    append16(out, stored);
    append16(out, stamp.time);
    append16(out, stamp.date);
    append32(out, crc);
    append32(out, size);
    append32(out, size);
    append16(out, quint16(name.size()));
    append16(out, 0); // extra field length
    append16(out, 0); // comment length
    append16(out, 0); // disk number start
    append16(out, 0); // internal attributes
    append32(out, externalAttributes);
    append32(out, offset);
    out.append(name);
}

QByteArray endRecord(quint64 count, quint64 directorySize, quint64 directoryOffset)
{
    QByteArray out;
    append32(out, endSignature);
    append16(out, 0);
    append16(out, 0);
    append16(out, quint16(count));
    append16(out, quint16(count));
    append32(out, quint32(directorySize));
    append32(out, quint32(directoryOffset));
    append16(out, 0);
    return out;
}

} // namespace

namespace ZipWriter {

Error::Error(const QString &message) : std::runtime_error(message.toStdString()) {}

const char *Stopped::what() const noexcept
{
    return "the archive's writing was stopped";
}

QByteArray archive(const QList<Entry> &entries, const QDateTime &date)
{
    const DosStamp stamp = dosStamp(date);
    QByteArray out;
    QByteArray directory;
    quint64 count = 0;
    for (const Entry &entry : entries) {
        checkName(entry.name);
        const QByteArray name = entry.name.toUtf8();
        const quint64 offset = quint64(out.size());
        checkRoom(entry.name, name.size(), quint64(entry.data.size()), count, offset, quint64(directory.size()));
        const quint32 crc = CRC32::checksum(entry.data);
        const auto size = quint32(entry.data.size());
        out.append(localHeader(name, crc, size, stamp));
        out.append(entry.data);
        appendCentralRecord(directory, name, crc, size, quint32(offset), stamp);
        ++count;
    }
    const quint64 directoryOffset = quint64(out.size());
    out.append(directory);
    out.append(endRecord(count, quint64(directory.size()), directoryOffset));
    return out;
}

Stream::Stream(QFile &file, const QDateTime &date, Progress progress) : m_file(file), m_progress(std::move(progress))
{
    const DosStamp stamp = dosStamp(date);
    m_time = stamp.time;
    m_date = stamp.date;
}

void Stream::put(QByteArrayView bytes)
{
    if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
        throw Error(Error::tr("Could not write “%1”: %2").arg(m_file.fileName(), m_file.errorString()));
    m_offset += quint64(bytes.size());
}

void Stream::putAt(quint64 position, QByteArrayView bytes)
{
    const quint64 end = m_offset;
    if (!m_file.seek(qint64(position)))
        throw Error(Error::tr("Could not write “%1”: %2").arg(m_file.fileName(), m_file.errorString()));
    put(bytes);
    if (!m_file.seek(qint64(end)))
        throw Error(Error::tr("Could not write “%1”: %2").arg(m_file.fileName(), m_file.errorString()));
    m_offset = end;
}

void Stream::rollBack(quint64 position)
{
    if (!m_file.resize(qint64(position)) || !m_file.seek(qint64(position)))
        throw Error(Error::tr("Could not write “%1”: %2").arg(m_file.fileName(), m_file.errorString()));
    m_offset = position;
}

void Stream::add(const QString &name, QByteArrayView data)
{
    checkName(name);
    const QByteArray nameBytes = name.toUtf8();
    checkRoom(name, nameBytes.size(), quint64(data.size()), m_count, m_offset, quint64(m_directory.size()));
    const quint64 offset = m_offset;
    const quint32 crc = CRC32::checksum(data);
    const auto size = quint32(data.size());
    put(localHeader(nameBytes, crc, size, {m_time, m_date}));
    put(data);
    appendCentralRecord(m_directory, nameBytes, crc, size, quint32(offset), {m_time, m_date});
    ++m_count;
}

bool Stream::addFile(const QString &name, const QString &path)
{
    return addFile(name, QFile::encodeName(path));
}

bool Stream::addFile(const QString &name, const QByteArray &nativePath)
{
    checkName(name);
    // Non-blocking, so that a named pipe cannot hold the export up; it makes
    // no difference to the reading of a regular file.
    const FileDescriptor file(::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0)
        return false;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    const QByteArray nameBytes = name.toUtf8();
    const quint64 offset = m_offset;
    checkRoom(name, nameBytes.size(), quint64(info.st_size), m_count, offset, quint64(m_directory.size()));
    // The checksum is not known yet: it is filled in once the data is written.
    put(localHeader(nameBytes, 0, quint32(info.st_size), {m_time, m_date}));

    if (m_buffer.isEmpty())
        m_buffer.resize(readChunk);
    const std::chrono::milliseconds pause = ReadPause::configured();
    quint32 crc = 0;
    quint64 size = 0;
    for (;;) {
        if (pause.count() > 0)
            std::this_thread::sleep_for(pause);
        const ssize_t got = ::read(file.get(), m_buffer.data(), size_t(m_buffer.size()));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            rollBack(offset);
            return false;
        }
        if (got == 0)
            break;
        size += quint64(got);
        // A file that grows while it is read must still fit.
        if (size > quint64(info.st_size))
            checkRoom(name, nameBytes.size(), size, m_count, offset, quint64(m_directory.size()));
        const QByteArrayView chunk(m_buffer.constData(), got);
        crc = CRC32::extend(crc, chunk);
        put(chunk);
        m_copied += quint64(got);
        if (m_progress && !m_progress(m_copied))
            throw Stopped();
    }

    QByteArray fields;
    append32(fields, crc);
    append32(fields, quint32(size));
    append32(fields, quint32(size));
    putAt(offset + localChecksumOffset, fields);
    appendCentralRecord(m_directory, nameBytes, crc, quint32(size), quint32(offset), {m_time, m_date});
    ++m_count;
    return true;
}

void Stream::finish()
{
    if (m_finished)
        return;
    const quint64 directoryOffset = m_offset;
    put(m_directory);
    put(endRecord(m_count, quint64(m_directory.size()), directoryOffset));
    if (!m_file.flush())
        throw Error(Error::tr("Could not write “%1”: %2").arg(m_file.fileName(), m_file.errorString()));
    m_finished = true;
}

} // namespace ZipWriter
