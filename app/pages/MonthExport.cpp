#include "MonthExport.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isReadableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

} // namespace

MonthExport::MonthExport(QList<ReceiptLine> lines, int year, int month, const QString &destination,
                         QObject *parent)
    : QObject(parent)
    , m_lines(std::move(lines))
    , m_year(year)
    , m_month(month)
    , m_destination(QFileInfo(destination).absoluteFilePath())
{
    connect(&m_watcher, &QFutureWatcher<Written>::finished, this, [this] { place(m_watcher.result()); });
}

MonthExport::~MonthExport()
{
    cancel();
    m_watcher.waitForFinished();
    // An archive written but never placed goes with its folder. (An empty
    // path would name the working directory.)
    if (m_outcome == Outcome::running && m_watcher.future().isFinished() && !m_watcher.result().folder.isEmpty())
        QDir(m_watcher.result().folder).removeRecursively();
}

void MonthExport::start()
{
    m_watcher.setFuture(QtConcurrent::run(&m_pool, [this] { return write(); }));
}

void MonthExport::cancel()
{
    m_cancelled->store(true);
}

MonthExport::Written MonthExport::write() const
{
    Written written;
    for (const ReceiptLine &line : m_lines) {
        if (!isReadableFile(line.file))
            written.leftOut.append(line.file);
    }
    const QString parent = QFileInfo(m_destination).absolutePath();
    QByteArray pattern = QFile::encodeName(QDir(parent).filePath(QStringLiteral(".filewright-export-XXXXXX")));
    if (!::mkdtemp(pattern.data())) {
        written.failure = tr("Could not write the archive into “%1”: %2")
                              .arg(QDir::toNativeSeparators(parent), systemError(errno));
        return written;
    }
    const QString folder = QFile::decodeName(pattern);
    // The step shown last, so that the window hears only of a step further.
    int shown = 0;
    const auto progress = [this, &shown](qint64 done, qint64 total) {
        const int step = total > 0 ? int(done * progressSteps / total) : 0;
        if (step != shown) {
            shown = step;
            QMetaObject::invokeMethod(
                const_cast<MonthExport *>(this),
                [this, step] { Q_EMIT const_cast<MonthExport *>(this)->progressed(step); }, Qt::QueuedConnection);
        }
        return !m_cancelled->load();
    };
    try {
        written.archive =
            ReceiptExport::write(m_lines, m_year, m_month, folder, QDateTime::currentDateTime(), progress);
        written.folder = folder;
    } catch (const ReceiptExport::Cancelled &) {
    } catch (const ReceiptExport::Error &error) {
        written.failure = error.message();
    }
    // A stopped or failed export has removed its part; its folder goes too,
    // before anyone hears of the end.
    if (written.folder.isEmpty())
        QDir(folder).removeRecursively();
    return written;
}

void MonthExport::place(const Written &written)
{
    m_leftOut = written.leftOut;
    if (!written.failure.isEmpty()) {
        m_outcome = Outcome::failed;
        m_failure = written.failure;
    } else if (m_cancelled->load()) {
        m_outcome = Outcome::cancelled;
    } else if (::rename(QFile::encodeName(written.archive).constData(),
                        QFile::encodeName(m_destination).constData()) != 0) {
        // Replaces a file of that name in one step; on failure it stays.
        m_outcome = Outcome::failed;
        m_failure = tr("Could not write the archive “%1”: %2")
                        .arg(QDir::toNativeSeparators(m_destination), systemError(errno));
    } else {
        m_outcome = Outcome::exported;
    }
    if (!written.folder.isEmpty())
        QDir(written.folder).removeRecursively();
    Q_EMIT finished();
}
