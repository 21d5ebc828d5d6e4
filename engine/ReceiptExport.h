// One month of receipts as a single ZIP archive: the files themselves under
// names unique inside the archive, and a German semicolon-separated list with
// one row per file, for tax advisers and accounting programs.
#pragma once

#include "Decimal.h"
#include "Recognition.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stdexcept>

// One receipt of an export.
struct ReceiptLine
{
    // The document's day, held as 12:00 UTC.
    std::optional<QDateTime> date;
    std::optional<QString> sender;
    std::optional<Decimal> amount;
    // An ISO currency code such as EUR.
    std::optional<QString> currency;
    DocumentKind kind = DocumentKind::other;
    // Absolute path of the file to put into the archive.
    QString file;

    friend bool operator==(const ReceiptLine &, const ReceiptLine &) = default;
};

namespace ReceiptExport {

// The archive could not be written; its message is meant for the user.
class Error : public std::runtime_error
{
    Q_DECLARE_TR_FUNCTIONS(ReceiptExport)

public:
    explicit Error(const QString &message);
    QString message() const { return QString::fromUtf8(what()); }
};

// "belege-2026-10" for October 2026.
QString baseName(int year, int month);

// The list: a byte-order mark, the header row and one row per line paired
// with the name at the same position, rows ended by CR LF.
QString csv(const QList<ReceiptLine> &lines, const QStringList &names);

// The export was stopped by its progress callback.
class Cancelled : public Error
{
public:
    Cancelled();
};

// Told how many bytes of the readable files are in the archive so far, out
// of how many; returns false to stop the export. It runs on the writing
// thread, at least once a megabyte while a file is copied and again while the
// archive goes to the disk, so that a stop ends the export within a moment
// however large one file is.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Writes base.zip (or the next free name) into `folder`, which must exist, and
// returns its path. Holds the list first, then every readable line's file in
// order, under a name unique inside the archive (the list's name is never
// given to a file); unreadable files are left out of archive and list alike.
// A file whose name is not valid UTF-8 is found by the name it reads as (bad
// bytes shown as U+FFFD) and goes in under that readable name; when several
// files read as that name, the export stops with an Error that says so. The archive
// appears in one step and never replaces an existing file. `now` is the time
// every entry is stamped with. Throws Error when the archive cannot be written,
// Cancelled when `progress` stops it (nothing is left behind then).
QString write(const QList<ReceiptLine> &lines, int year, int month, const QString &folder,
              const QDateTime &now = QDateTime::currentDateTime(), const Progress &progress = {});

} // namespace ReceiptExport
