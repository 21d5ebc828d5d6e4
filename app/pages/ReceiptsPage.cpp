#include "ReceiptsPage.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "ColumnMinimums.h"
#include "DateText.h"
#include "EditableText.h"
#include "EmptyStateView.h"
#include "FileDialogMessage.h"
#include "FileManager.h"
#include "MonthExport.h"
#include "NameTemplate.h"
#include "PageTitle.h"
#include "Prefs.h"
#include "RealHome.h"
#include "ReceiptsModel.h"
#include "RowMenuKeys.h"
#include "StandardFolders.h"
#include "Roles.h"
#include "SecondaryCells.h"
#include "Store.h"
#include "Symbols.h"

#include <QAbstractButton>
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidgetAction>

#include <algorithm>
#include <map>

namespace {
constexpr int titleInset = 16; // as on the journal page

// The width a column's title takes in the header at its font, as the style
// draws it: with its margins, and its sort mark when it has one.
int titleWidth(const QHeaderView &header, int column)
{
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.orientation = Qt::Horizontal;
    option.section = column;
    option.text = header.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    if (header.isSortIndicatorShown() && header.sortIndicatorSection() == column)
        option.sortIndicator = header.sortIndicatorOrder() == Qt::AscendingOrder ? QStyleOptionHeader::SortDown
                                                                                : QStyleOptionHeader::SortUp;
    return header.style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), &header).width();
}

// The width the longest day of a year takes in the table's date cells, with
// the room the style keeps round a cell's text, as a cell's size hint has it.
int dateWidth(const QTableView &table)
{
    const QFontMetrics metrics(table.font());
    QString longest;
    for (QDate day(2026, 1, 1); day.year() == 2026; day = day.addDays(1)) {
        const QString text = DateText::numeric(day.startOfDay(Qt::UTC));
        if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(longest))
            longest = text;
    }
    QStyleOptionViewItem cell;
    cell.initFrom(&table);
    cell.widget = &table;
    cell.features = QStyleOptionViewItem::HasDisplay;
    cell.text = longest;
    cell.font = table.font();
    cell.fontMetrics = metrics;
    cell.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    return table.style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), &table).width();
}

// The width the widest cell of a column takes, as its size hint has it.
int cellsWidth(const QTableView &table, int column)
{
    QStyleOptionViewItem option;
    option.initFrom(&table);
    option.widget = &table;
    option.font = table.font();
    int widest = 0;
    const QAbstractItemModel &rows = *table.model();
    for (int row = 0; row < rows.rowCount(); ++row) {
        const QModelIndex index = rows.index(row, column);
        widest = std::max(widest, table.itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    return widest;
}
} // namespace

QList<ReceiptLine> ReceiptsPage::lines(const QList<RecognitionRecord> &records)
{
    QList<ReceiptLine> result;
    result.reserve(records.size());
    for (const RecognitionRecord &record : records) {
        const Recognition reading = record.recognition();
        result.append(ReceiptLine{reading.date, reading.sender, reading.amount, reading.currency, reading.kind,
                                  record.path});
    }
    return result;
}

ReceiptsPage::ReceiptsPage(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_rows(new ReceiptsModel(model, this))
{
    setObjectName(QStringLiteral("receiptsPage"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // The window's tool bar shows the page's own actions: the steps with the
    // month between them, and the export.
    m_previous = new QAction(Symbols::icon(QStringLiteral("chevron.left")), tr("Previous Month"), this);
    m_previous->setObjectName(QStringLiteral("previousMonth"));
    m_previous->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    connect(m_previous, &QAction::triggered, this, [this] { shift(-1); });
    m_next = new QAction(Symbols::icon(QStringLiteral("chevron.right")), tr("Next Month"), this);
    m_next->setObjectName(QStringLiteral("nextMonth"));
    m_next->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketRight));
    connect(m_next, &QAction::triggered, this, [this] { shift(1); });
    m_subtitle = new QLabel;
    m_subtitle->setObjectName(QStringLiteral("monthTitle"));
    m_subtitle->setAlignment(Qt::AlignCenter);
    m_subtitle->setContentsMargins(8, 0, 8, 0);
    Roles::setFont(m_subtitle, Roles::Font::headline);
    auto *month = new QWidgetAction(this);
    month->setDefaultWidget(m_subtitle);
    m_exportAction = new QAction(Symbols::icon(QStringLiteral("square.and.arrow.up")), tr("Export Month…"), this);
    m_exportAction->setObjectName(QStringLiteral("exportMonth"));
    m_exportAction->setToolTip(tr("Save the receipts of this month as a ZIP with a CSV list"));
    connect(m_exportAction, &QAction::triggered, this, &ReceiptsPage::exportMonth);
    addActions({m_previous, month, m_next, m_exportAction});

    // The title over the table; the month stands in the tool bar.
    auto *title = new PageTitle(tr("Receipts"), this);
    title->setContentsMargins(titleInset, titleInset, titleInset, titleInset / 2);
    outer->addWidget(title);

    // The table, or the empty state over it.
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("receipts"));
    m_table->setModel(m_rows);
    m_table->setItemDelegateForColumn(ReceiptsModel::sender, new EditableText(m_table));
    m_table->setItemDelegateForColumn(ReceiptsModel::amount, new EditableText(m_table));
    m_table->setItemDelegateForColumn(ReceiptsModel::file, new SecondaryCells(m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::SelectedClicked);
    // Tab leaves the table; the arrow keys move from cell to cell.
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->setShowGrid(false);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);
    QHeaderView *columns = m_table->horizontalHeader();
    columns->setMinimumSectionSize(50);
    columns->setHighlightSections(false);
    // The columns the user sizes, each with its least and first width;
    // Sender and File share the rest, down to the header's minimum. A column
    // starts wide enough for its title at the desktop's font and style, the
    // date's for a whole date too; the others widen to their month's cells.
    struct Width
    {
        int column;
        int least;
        int first;
    };
    QHash<int, int> least;
    for (const Width &width : {Width{ReceiptsModel::date, 80, 90}, Width{ReceiptsModel::amount, 80, 100},
                               Width{ReceiptsModel::currency, 50, 60}, Width{ReceiptsModel::kind, 70, 90}}) {
        least.insert(width.column, width.least);
        const int content = width.column == ReceiptsModel::date ? dateWidth(*m_table) : 0;
        m_table->setColumnWidth(width.column, std::max({width.first, titleWidth(*columns, width.column), content}));
    }
    new ColumnMinimums(*columns, std::move(least));
    columns->setSectionResizeMode(ReceiptsModel::sender, QHeaderView::Stretch);
    columns->setSectionResizeMode(ReceiptsModel::file, QHeaderView::Stretch);
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
    new RowMenuKeys(m_table);
    auto *show = new QAction(tr("Show in File Manager"), m_table);
    show->setObjectName(QStringLiteral("showInFileManager"));
    connect(show, &QAction::triggered, this, [this] {
        const QStringList files = selectedFiles();
        if (!files.isEmpty())
            m_reveal(files, {});
    });
    m_table->addAction(show);
    // A double-click outside the editable cells, or Return, opens the files.
    connect(m_table, &QTableView::activated, this, [this] {
        for (const QString &file : selectedFiles())
            QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    });

    m_table->setFrameShape(QFrame::NoFrame);
    outer->addWidget(m_table, 1);
    m_empty = new EmptyStateView(QStringLiteral("doc.text.magnifyingglass"), tr("No Receipts This Month"),
                                 tr("Invoices and receipts that Filewright reads show up here by their document date."));
    m_empty->setObjectName(QStringLiteral("emptyState"));
    m_empty->attachTo(m_table->viewport());
    m_empty->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    m_sumsLine = new QHBoxLayout;
    m_sumsLine->setContentsMargins(12, 12, 12, 12);
    m_sumsLine->setSpacing(16);
    auto *note = new QLabel(tr("Recognized by the local language model on this computer. Please check."), this);
    Roles::setSecondary(note);
    note->setWordWrap(true);
    m_sumsLine->addWidget(note, 1);
    outer->addLayout(m_sumsLine);

    m_reveal = [](const QStringList &paths, std::function<void()> notShown) {
        FileManager::showItems(paths, std::move(notShown));
    };
    // Changes come in bursts while files are read, and a commit of a cell
    // changes the store while its editor is still closing: the page follows
    // once the burst is over.
    connect(&m_model.store(), &Store::changed, this, [this](Store::Model changed) {
        if (changed != Store::Model::recognitionRecord || m_refreshPending)
            return;
        m_refreshPending = true;
        QMetaObject::invokeMethod(this, &ReceiptsPage::refresh, Qt::QueuedConnection);
    });
    refresh();
}

ReceiptsPage::~ReceiptsPage() = default;

QString ReceiptsPage::monthTitle() const
{
    return DateText::month(m_month.year, m_month.month);
}

QList<QPair<QString, Decimal>> ReceiptsPage::sums() const
{
    std::map<QString, Decimal> totals;
    for (int row = 0; row < m_rows->rowCount(); ++row) {
        const Recognition &reading = m_rows->reading(row);
        if (!reading.amount)
            continue;
        Decimal &total = totals[reading.currency.value_or(QStringLiteral("EUR"))];
        // A total beyond what a Decimal holds keeps its last value.
        total = total.plus(*reading.amount).value_or(total);
    }
    QList<QPair<QString, Decimal>> result;
    for (const auto &[code, total] : totals)
        result.append({code, total});
    return result;
}

void ReceiptsPage::shift(int n)
{
    const QDate first(m_month.year, m_month.month, 1);
    if (!first.isValid())
        return;
    const QDate moved = first.addMonths(n);
    if (!moved.isValid())
        return;
    m_chosenMonth = Month{moved.year(), moved.month()};
    showMonth(n > 0 ? m_next : m_previous);
}

void ReceiptsPage::refresh()
{
    showMonth(m_previous);
}

void ReceiptsPage::showMonth(QAction *step)
{
    m_refreshPending = false;
    // Where the keyboard is before the rows change (asked of the window,
    // which may be in the background while a receipt comes in).
    const QWidget *focused = window()->focusWidget();
    const bool tableFocused = focused && (focused == m_table || m_table->isAncestorOf(focused));
    const int column = std::max(m_table->currentIndex().column(), 0);
    // The table is given its month once: a month shown before keeps its
    // rows, their typed text and selection, and an open field.
    const Month shown = m_chosenMonth ? *m_chosenMonth : automaticMonth();
    if (shown != m_month) {
        // A field open in the month before closes as leaving it does,
        // before its row goes; its text goes with that month.
        for (const int editable : {ReceiptsModel::sender, ReceiptsModel::amount}) {
            if (auto *cell = qobject_cast<EditableText *>(m_table->itemDelegateForColumn(editable)))
                cell->leaveOpenField();
        }
    }
    m_month = shown;
    m_rows->setMonth(m_month.year, m_month.month);
    m_subtitle->setText(monthTitle());
    fitColumnsToMonth();
    const bool empty = m_rows->rowCount() == 0;
    m_empty->setVisible(empty);
    m_exportAction->setEnabled(!empty && !m_export);
    refreshSums();
    if (tableFocused)
        keepKeyboardInSight(column, step);
}

void ReceiptsPage::fitColumnsToMonth()
{
    // Each as wide as its longest cell at the table's font and style, as the
    // cells' own size hints have it: a kind, an amount or a currency shows
    // whole. A column stays as wide as the user made it, and never narrows
    // below its least width.
    for (const int column : {ReceiptsModel::amount, ReceiptsModel::currency, ReceiptsModel::kind}) {
        const int needs = cellsWidth(*m_table, column);
        if (needs > m_table->columnWidth(column))
            m_table->setColumnWidth(column, needs);
    }
}

void ReceiptsPage::keepKeyboardInSight(int column, QAction *step)
{
    // Another month's rows come without a current cell, and a table without
    // one draws no ring: the keyboard would be nowhere to be seen.
    if (m_rows->rowCount() > 0) {
        if (!m_table->currentIndex().isValid())
            m_table->setCurrentIndex(m_rows->index(0, column));
        // A field open in a row of the month before passed the focus on as it closed.
        const QWidget *focused = window()->focusWidget();
        if (focused != m_table && !m_table->isAncestorOf(focused))
            m_table->setFocus(Qt::OtherFocusReason);
        return;
    }
    // An empty table has no cell to show it on: the button of the step
    // taken has it, Previous Month when the page moved by itself.
    for (QObject *shown : step->associatedObjects()) {
        auto *button = qobject_cast<QAbstractButton *>(shown);
        if (button && button->window() == window() && button->isVisible() && button->isEnabled()) {
            button->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

ReceiptsPage::Month ReceiptsPage::automaticMonth() const
{
    // The current month when it has receipts, else the month of the newest
    // receipt, else the current month.
    const QDate today = m_model.autopilot().now().toUTC().date();
    const Month current{today.year(), today.month()};
    if (!m_model.receipts(current.year, current.month).isEmpty())
        return current;
    if (const std::optional<QDateTime> latest = m_model.store().latestReceiptDate()) {
        const QDate day = latest->toUTC().date();
        return Month{day.year(), day.month()};
    }
    return current;
}

void ReceiptsPage::refreshSums()
{
    qDeleteAll(m_sumLabels);
    m_sumLabels.clear();
    const NameLanguage language = Prefs::sentenceLanguage();
    for (const auto &[code, total] : sums()) {
        auto *label = new QLabel(tr("%1 %2").arg(NameTemplate::format(total, language), code), this);
        label->setObjectName(QStringLiteral("sum"));
        Roles::setFont(label, Roles::Font::headline);
        m_sumsLine->addWidget(label);
        m_sumLabels.append(label);
    }
}

QStringList ReceiptsPage::selectedFiles() const
{
    QStringList files;
    const QList<RecognitionRecord> &records = m_rows->records();
    for (int row = 0; row < records.size(); ++row) {
        if (m_table->selectionModel()->isRowSelected(row))
            files.append(records.at(row).path);
    }
    return files;
}

QString ReceiptsPage::askForDestination(const QString &proposed)
{
    if (m_savePanel)
        return m_savePanel(proposed);
    QFileDialog dialog(this, tr("Export Month"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(tr("ZIP archive (*.zip)"));
    dialog.setDefaultSuffix(QStringLiteral("zip"));
    dialog.setDirectory(QFileInfo(proposed).absolutePath());
    dialog.selectFile(QFileInfo(proposed).fileName());
    FileDialogMessage::add(dialog,
                           tr("The ZIP holds the files and a CSV list for a spreadsheet or your tax adviser."));
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    comeBackToFront();
    return accepted ? dialog.selectedFiles().constFirst() : QString();
}

void ReceiptsPage::comeBackToFront()
{
    // Once a dialog of the page is gone, a window manager may bring another
    // window to the front, or leave none active: the window asks for the
    // front itself, and its focus is where the dialog found it.
    if (window()->isVisible())
        window()->activateWindow();
}

void ReceiptsPage::exportMonth()
{
    if (m_export || m_rows->rowCount() == 0)
        return;
    // The export's button when the keyboard is on it, asked before the
    // dialog: once it closes the window may not be the active one yet, and
    // then no widget of it has the focus.
    QWidget *focusedButton = nullptr;
    for (QObject *shown : m_exportAction->associatedObjects()) {
        if (auto *button = qobject_cast<QAbstractButton *>(shown); button && window()->focusWidget() == button)
            focusedButton = button;
    }
    const Month month = m_month;
    const QString proposed = QDir(StandardFolders::path(StandardFolders::Folder::documents, RealHome::path()))
                                 .filePath(ReceiptExport::baseName(month.year, month.month) + QStringLiteral(".zip"));
    const QString destination = askForDestination(proposed);
    if (destination.isEmpty())
        return;
    m_export = new MonthExport(lines(m_rows->records()), month.year, month.month, destination, this);
    auto *progress = new QProgressDialog(tr("Exporting the receipts of %1…").arg(monthTitle()), tr("Cancel"), 0,
                                         MonthExport::progressSteps, this);
    progress->setObjectName(QStringLiteral("exportProgress"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(400);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    // The export's steps move the bar itself: a modal dialog's own setValue
    // runs the event loop inside it, a thousand times an export, where the
    // export's end could delete the dialog under it.
    auto *bar = new QProgressBar;
    bar->setRange(0, MonthExport::progressSteps);
    progress->setBar(bar);
    progress->setValue(0);
    connect(progress, &QProgressDialog::canceled, m_export, &MonthExport::cancel);
    connect(m_export, &MonthExport::progressed, bar, &QProgressBar::setValue);
    connect(m_export, &MonthExport::finished, this, &ReceiptsPage::exportEnded);
    m_progress = progress;
    // The button is off while the export runs, which moves a keyboard
    // user's focus on; it comes back when the export ends.
    m_focusedExport = focusedButton;
    m_exportAction->setEnabled(false);
    m_focusMovedTo = m_focusedExport ? window()->focusWidget() : nullptr;
    m_export->start();
}

void ReceiptsPage::tellWhereTheArchiveIs(const QString &archive)
{
    auto *box = new QMessageBox(QMessageBox::Information, tr("Archive saved"),
                                tr("No file manager could show the archive. It is saved as %1.").arg(archive),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("archiveNotShown"));
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setInformativeText(tr("Set up a file manager on this computer, or open this path in the one you use."));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void ReceiptsPage::exportEnded()
{
    MonthExport *done = m_export;
    m_export = nullptr;
    done->deleteLater();
    // The progress window, when it was at the front, gives the front back.
    const bool progressAtFront = m_progress && m_progress->isActiveWindow();
    delete m_progress;
    if (progressAtFront)
        comeBackToFront();
    m_exportAction->setEnabled(m_rows->rowCount() > 0);
    if (m_focusedExport && m_focusedExport->isEnabled() && window()->focusWidget() == m_focusMovedTo)
        m_focusedExport->setFocus(Qt::OtherFocusReason);
    switch (done->outcome()) {
    case MonthExport::Outcome::exported: {
        // Where nothing can show the archive, the page says where it is.
        m_reveal({done->destination()}, [page = QPointer<ReceiptsPage>(this), archive = done->destination()] {
            if (page)
                page->tellWhereTheArchiveIs(archive);
        });
        const QStringList leftOut = done->leftOut();
        if (!leftOut.isEmpty()) {
            auto *box = new QMessageBox(QMessageBox::Information, tr("Some receipts were left out"),
                                        tr("%n of %1 were left out because their files are no longer there.",
                                           "%1 counts the receipts, as in “5 receipts”", int(leftOut.size()))
                                            .arg(tr("%n receipt(s)", "after “of”, as in “2 of 5 receipts”",
                                                    int(done->lineCount()))),
                                        QMessageBox::Ok, this);
            box->setObjectName(QStringLiteral("leftOut"));
            box->setDetailedText(leftOut.join(u'\n'));
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        }
        break;
    }
    case MonthExport::Outcome::failed: {
        m_exportFailure = done->failure();
        auto *box = new QMessageBox(QMessageBox::Warning, tr("Export failed"), done->failure(), QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("exportFailed"));
        box->setTextFormat(Qt::PlainText);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QMessageBox::finished, this, [this] { m_exportFailure.reset(); });
        box->open();
        break;
    }
    case MonthExport::Outcome::cancelled:
    case MonthExport::Outcome::running:
        break;
    }
    Q_EMIT exportFinished();
}
