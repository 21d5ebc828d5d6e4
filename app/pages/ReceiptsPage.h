// The receipts page: one month of invoices and receipts with their totals per
// currency, stepped month by month and exported as a ZIP archive with a CSV
// list. The month follows the data (the current month when it has receipts,
// else the month of the newest one) until the user steps.
#pragma once

#include "Decimal.h"
#include "Models.h"
#include "MonthExport.h"
#include "ReceiptExport.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class AppModel;
class EmptyStateView;
class QAction;
class QHBoxLayout;
class QLabel;
class QProgressDialog;
class QTableView;
class ReceiptsModel;

class ReceiptsPage : public QWidget
{
    Q_OBJECT

public:
    struct Month
    {
        int year = 0;
        int month = 0;
        friend bool operator==(const Month &, const Month &) = default;
    };

    // Asks where the archive goes, starting with the proposed path; empty
    // when the user cancels. The page shows a save dialog; tests answer.
    using SavePanel = std::function<QString(const QString &proposed)>;
    // Shows files in the file manager; calls notShown when it cannot.
    using Reveal = std::function<void(const QStringList &paths, std::function<void()> notShown)>;

    explicit ReceiptsPage(AppModel &model, QWidget *parent = nullptr);
    ~ReceiptsPage() override;

    // The lines of an export, one per record in the given order, taken from
    // each record's reading as it stands and the file at its path (whether
    // or not the file is still there). Nothing is filtered or filled in:
    // choosing and ordering the records is the caller's work. Both exports
    // of a month (this page's and the command's) go through it.
    static QList<ReceiptLine> lines(const QList<RecognitionRecord> &records);

    Month month() const { return m_month; }
    QString monthTitle() const;
    // The month's totals by currency code in ascending order; receipts
    // without a currency count as EUR, those without an amount add nothing.
    QList<QPair<QString, Decimal>> sums() const;
    // Steps n months forward or back; the page then stays on its month.
    void shift(int n);

    // Asks for a destination and exports the month's receipts there.
    void exportMonth();
    MonthExport *runningExport() const { return m_export; }
    std::optional<QString> exportFailure() const { return m_exportFailure; }

    void setSavePanel(SavePanel panel) { m_savePanel = std::move(panel); }
    void setReveal(Reveal reveal) { m_reveal = std::move(reveal); }

    ReceiptsModel *tableModel() const { return m_rows; }

Q_SIGNALS:
    // The export ended, however it ended.
    void exportFinished();

private:
    // Shows the month as it stands now, the page's own choice or the user's.
    void refresh();
    // Shows the month; step is the button of the step that led there, or
    // Previous Month when the page followed the data.
    void showMonth(QAction *step);
    // After the rows changed under the keyboard: the table keeps a current
    // cell in column, or, with no rows, the step's button takes the focus.
    void keepKeyboardInSight(int column, QAction *step);
    // The month shown until the user steps.
    Month automaticMonth() const;
    void refreshSums();
    // Widens the columns of short values to their longest cell of the month.
    void fitColumnsToMonth();
    void exportEnded();
    // A message over the page with the archive's path, selectable.
    void tellWhereTheArchiveIs(const QString &archive);
    QStringList selectedFiles() const;
    QString askForDestination(const QString &proposed);
    // Makes the page's window the active one again after a dialog.
    void comeBackToFront();

    AppModel &m_model;
    ReceiptsModel *m_rows = nullptr;
    std::optional<Month> m_chosenMonth;
    bool m_refreshPending = false;
    Month m_month;
    QLabel *m_subtitle = nullptr;
    QTableView *m_table = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_next = nullptr;
    EmptyStateView *m_empty = nullptr;
    QHBoxLayout *m_sumsLine = nullptr;
    QList<QLabel *> m_sumLabels;
    QAction *m_exportAction = nullptr;
    QPointer<MonthExport> m_export;
    QPointer<QProgressDialog> m_progress;
    // The export's button when it had the focus as the export began, and
    // where the focus went when the button was turned off.
    QPointer<QWidget> m_focusedExport;
    QPointer<QWidget> m_focusMovedTo;
    std::optional<QString> m_exportFailure;
    SavePanel m_savePanel;
    Reveal m_reveal;
};
