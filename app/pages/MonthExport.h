// Exporting a month's receipts to a file the user chose, off the main thread.
// The archive is written into a private folder beside the destination and
// takes the destination's place in one step only when it is complete and the
// export was not cancelled: a cancelled or failed export leaves no archive
// behind and any file that was at the destination as it was.
#pragma once

#include "ReceiptExport.h"

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

class MonthExport : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { running, exported, cancelled, failed };
    // The progress goes from 0 to this many steps, with the bytes copied.
    static constexpr int progressSteps = 1000;

    MonthExport(QList<ReceiptLine> lines, int year, int month, const QString &destination,
                QObject *parent = nullptr);
    // Cancels an export still under way and waits for its thread, which
    // ends within a moment and leaves nothing behind.
    ~MonthExport() override;

    void start();
    // Takes effect within a moment, also in the middle of a large file: the
    // thread removes what it wrote and then reports. Once finished nothing
    // changes.
    void cancel();

    QString destination() const { return m_destination; }
    Outcome outcome() const { return m_outcome; }
    // Why a failed export failed, for the user.
    QString failure() const { return m_failure; }
    // The files of lines that were left out because they could not be read.
    QStringList leftOut() const { return m_leftOut; }
    qsizetype lineCount() const { return m_lines.size(); }

Q_SIGNALS:
    // How far the copying is, in steps up to progressSteps.
    void progressed(int step);
    void finished();

private:
    struct Written
    {
        QString folder; // the private folder of a written archive, removed afterwards
        QString archive;
        QString failure;
        QStringList leftOut;
    };
    Written write() const;
    void place(const Written &written);

    const QList<ReceiptLine> m_lines;
    const int m_year;
    const int m_month;
    const QString m_destination;
    std::shared_ptr<std::atomic_bool> m_cancelled = std::make_shared<std::atomic_bool>(false);
    // The export's own thread: writing may wait on the disk, and the shared
    // pool is what painting waits for.
    QThreadPool m_pool;
    QFutureWatcher<Written> m_watcher;
    Outcome m_outcome = Outcome::running;
    QString m_failure;
    QStringList m_leftOut;
};
