#include "ReceiptExport.h"

#include "FileDescriptor.h"
#include "NameTemplate.h"
#include "ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <optional>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {

using ReceiptExport::Error;

QString germanDate(const QDateTime &date)
{
    const QDate day = CalendarUtc::day(date);
    return QString::asprintf("%02d.%02d.%04d", day.day(), day.month(), day.year());
}

QString kindWord(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::invoice: return QStringLiteral("Rechnung");
    case DocumentKind::receipt: return QStringLiteral("Quittung");
    case DocumentKind::contract: return QStringLiteral("Vertrag");
    case DocumentKind::bankStatement: return QStringLiteral("Kontoauszug");
    case DocumentKind::payslip: return QStringLiteral("Gehaltsabrechnung");
    case DocumentKind::letter: return QStringLiteral("Brief");
    case DocumentKind::screenshot: return QStringLiteral("Bildschirmfoto");
    case DocumentKind::photo: return QStringLiteral("Foto");
    case DocumentKind::installer: return QStringLiteral("Installer");
    case DocumentKind::other: return QStringLiteral("Sonstiges");
    }
    return QStringLiteral("Sonstiges");
}

// Spreadsheet programs read a cell that begins with one of these as a formula.
// Senders, currencies and file names come from untrusted documents, so such a
// text gets a leading apostrophe and stays plain text.
QString guarded(const QString &text)
{
    static constexpr char16_t formulaStarts[] = {u'=', u'+', u'-', u'@', u'\t', u'\r'};
    if (!text.isEmpty() && std::find(std::begin(formulaStarts), std::end(formulaStarts), text.front().unicode())
            != std::end(formulaStarts))
        return u'\'' + text;
    return text;
}

bool isLineBreak(char16_t c)
{
    return (c >= 0x000A && c <= 0x000D) || c == 0x0085 || c == 0x2028 || c == 0x2029;
}

QString escaped(const QString &field)
{
    const bool quote = std::any_of(field.cbegin(), field.cend(), [](QChar c) {
        return c == u';' || c == u'"' || isLineBreak(c.unicode());
    });
    if (!quote)
        return field;
    QString doubled = field;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

// The name itself, or "stem 2.ext", "stem 3.ext", ... when a name equal but
// for case is taken already. `used` holds the lower-case names taken.
QString uniqueName(const QString &name, QSet<QString> &used)
{
    const QString extension = NameTemplate::pathExtension(name);
    const QString stem = NameTemplate::deletingPathExtension(name);
    QString candidate = name;
    for (int n = 2; used.contains(candidate.toLower()); ++n) {
        candidate = stem + u' ' + QString::number(n);
        if (!extension.isEmpty())
            candidate += u'.' + extension;
    }
    used.insert(candidate.toLower());
    return candidate;
}

// The name a file gets inside the archive. A backslash is a folder separator
// for extractors on other systems (and with ".." could reach outside the
// folder the archive is extracted into), so it becomes "-" as in filed names.
QString archiveFileName(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    name.replace(u'\\', u'-');
    return name;
}

// The path in the file system's own bytes. A name that is not valid UTF-8
// reaches us with U+FFFD in place of its bad bytes, and that path names no
// file: the folder is searched for the one entry whose name reads so. Empty
// when there is none; throws when several read so, since there is no telling
// which one is meant and leaving the receipt out would go unnoticed.
QByteArray nativePath(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (!path.contains(QChar::ReplacementCharacter) || ::access(encoded.constData(), F_OK) == 0)
        return encoded;
    const QFileInfo info(path);
    const QByteArray folder = nativePath(info.path());
    DIR *dir = folder.isEmpty() ? nullptr : ::opendir(folder.constData());
    if (!dir)
        return {};
    QByteArray found;
    int matches = 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (QFile::decodeName(entry->d_name) == info.fileName()) {
            found = folder + '/' + entry->d_name;
            ++matches;
        }
    }
    ::closedir(dir);
    if (matches > 1)
        throw Error(Error::tr("Several files in “%1” have names that read as “%2”. Rename them and "
                              "export again.")
                        .arg(QDir::toNativeSeparators(info.path()), info.fileName()));
    return found;
}

// The size of the file when it can be opened for reading as a regular file
// (not missing, not a folder, no device or pipe, readable with our rights).
std::optional<qint64> readableSize(const QByteArray &path)
{
    const FileDescriptor file(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return qint64(info.st_size);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A file beside the target that becomes the archive in one step, or is
// removed when it does not.
class PendingArchive
{
public:
    PendingArchive(const QString &folder, const QString &base)
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_file.setFileName(QDir(folder).filePath(QStringLiteral(".%1.zip.%2.part")
                                                         .arg(base)
                                                         .arg(QRandomGenerator::global()->generate(), 8, 16,
                                                              QLatin1Char('0'))));
            // New only: never opens a file that is there already. Created
            // with the usual permissions (0666 less the umask).
            if (m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
                return;
            if (m_file.error() != QFileDevice::OpenError || !m_file.exists())
                break;
        }
        throw Error(Error::tr("Could not write the archive into “%1”: %2")
                        .arg(QDir::toNativeSeparators(folder), m_file.errorString()));
    }
    ~PendingArchive()
    {
        if (!m_placed) {
            m_file.close();
            QFile::remove(m_file.fileName());
        }
    }
    PendingArchive(const PendingArchive &) = delete;
    PendingArchive &operator=(const PendingArchive &) = delete;

    QFile &file() { return m_file; }

    // Empties the file for a fresh start.
    void restart()
    {
        if (!m_file.resize(0) || !m_file.seek(0))
            throw ReceiptExport::Error(
                Error::tr("Could not write “%1”: %2").arg(m_file.fileName(), m_file.errorString()));
    }

    // Flushes the data to the disk, then gives the file the first free name
    // that `target` gives, without ever replacing a file. Returns the name.
    // Throws Cancelled, leaving the file to go, when `goOn` says to stop.
    QString place(const std::function<QString()> &target, const std::function<bool()> &goOn)
    {
        flush(goOn);
        m_file.close();
        const QByteArray from = QFile::encodeName(m_file.fileName());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString path = target();
            const int error = moveWithoutReplacing(from, QFile::encodeName(path));
            if (error == 0) {
                m_placed = true;
                return path;
            }
            if (error != EEXIST) // taken meanwhile: the next free name
                throw Error(Error::tr("Could not write the archive “%1”: %2")
                                .arg(QDir::toNativeSeparators(path), systemError(error)));
        }
        throw Error(Error::tr("Could not find a free name for the archive."));
    }

private:
    // A large archive can take seconds to reach the disk: it goes a few
    // megabytes at a time, with a look at the stop between them, and fsync
    // then makes sure of the whole (and does it all where the file system
    // cannot write a part of a file on its own).
    void flush(const std::function<bool()> &goOn)
    {
        constexpr qint64 piece = 8 << 20;
        const int fd = m_file.handle();
        const qint64 size = m_file.size();
        for (qint64 offset = 0; offset < size; offset += piece) {
            if (!goOn())
                throw ReceiptExport::Cancelled();
            if (::sync_file_range(fd, offset, piece,
                                  SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER)
                != 0)
                break;
        }
        if (!goOn())
            throw ReceiptExport::Cancelled();
        if (::fsync(fd) != 0)
            throw ReceiptExport::Error(
                Error::tr("Could not write “%1”: %2").arg(m_file.fileName(), systemError(errno)));
    }

    // 0 on success, else the error number (EEXIST when the name is taken).
    static int moveWithoutReplacing(const QByteArray &from, const QByteArray &to)
    {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        // A file system without that kind of rename: a hard link, which
        // fails as well when the name is taken, then away with the old name.
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return 0;
        }
        return errno;
    }

    QFile m_file;
    bool m_placed = false;
};

} // namespace

namespace ReceiptExport {

Error::Error(const QString &message) : std::runtime_error(message.toStdString()) {}

Cancelled::Cancelled() : Error(Error::tr("The export was cancelled.")) {}

QString baseName(int year, int month)
{
    return QString::asprintf("belege-%04d-%02d", year, month);
}

QString csv(const QList<ReceiptLine> &lines, const QStringList &names)
{
    QString text = QStringLiteral("\uFEFFDatum;Absender;Betrag;Währung;Art;Dateiname\r\n");
    const qsizetype rows = std::min(lines.size(), names.size());
    for (qsizetype i = 0; i < rows; ++i) {
        const ReceiptLine &line = lines[i];
        const QStringList fields{
            line.date ? germanDate(*line.date) : QString(),
            guarded(line.sender.value_or(QString())),
            line.amount ? NameTemplate::format(*line.amount, NameLanguage::de) : QString(),
            guarded(line.currency.value_or(QString())),
            kindWord(line.kind),
            guarded(names[i]),
        };
        for (qsizetype f = 0; f < fields.size(); ++f) {
            if (f > 0)
                text += u';';
            text += escaped(fields[f]);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

QString write(const QList<ReceiptLine> &lines, int year, int month, const QString &folder, const QDateTime &now,
              const Progress &progress)
{
    const QString base = baseName(year, month);
    const QString listName = base + QStringLiteral(".csv");
    QList<ReceiptLine> kept;
    QList<QByteArray> paths;
    QList<qint64> sizes;
    for (const ReceiptLine &line : lines) {
        const QByteArray path = nativePath(line.file);
        if (const std::optional<qint64> size = readableSize(path)) {
            kept.append(line);
            paths.append(path);
            sizes.append(*size);
        }
    }

    // How far the copying is, in bytes of the files (a file that grew while
    // it was copied counts no further than their sum).
    const auto goOn = [&progress](qint64 done, qint64 total) {
        return !progress || progress(std::min(done, total), total);
    };
    qint64 total = std::accumulate(sizes.cbegin(), sizes.cend(), qint64(0));
    if (!goOn(0, total))
        throw Cancelled();
    PendingArchive pending(folder, base);
    try {
        // The list comes first but names only the files that made it into
        // the archive: a file that fails while it is copied (it vanished
        // since the check above) is dropped and the archive begun anew.
        for (bool complete = false; !complete;) {
            // The list's own name is taken before any file is named.
            QSet<QString> used{listName.toLower()};
            QStringList names;
            for (const ReceiptLine &line : std::as_const(kept))
                names.append(uniqueName(archiveFileName(line.file), used));

            ZipWriter::Stream stream(pending.file(), now,
                                     [&goOn, total](quint64 copied) { return goOn(qint64(copied), total); });
            stream.add(base + u'/' + listName, csv(kept, names).toUtf8());
            complete = true;
            for (qsizetype i = 0; i < kept.size(); ++i) {
                if (!stream.addFile(base + u'/' + names[i], paths[i])) {
                    total -= sizes[i];
                    kept.removeAt(i);
                    paths.removeAt(i);
                    sizes.removeAt(i);
                    pending.restart();
                    complete = false;
                    break;
                }
                if (!goOn(qint64(stream.copied()), total))
                    throw Cancelled();
            }
            if (complete)
                stream.finish();
        }
    } catch (const ZipWriter::Stopped &) {
        throw Cancelled();
    } catch (const ZipWriter::Error &error) {
        throw Error(error.message());
    }

    const QString target = QDir(folder).filePath(base + QStringLiteral(".zip"));
    return pending.place([&target] { return NameTemplate::freeURL(target); },
                         [&goOn, total] { return goOn(total, total); });
}

} // namespace ReceiptExport
