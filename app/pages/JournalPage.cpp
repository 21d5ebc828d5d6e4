#include "JournalPage.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "FileManager.h"
#include "JournalDelegate.h"
#include "JournalModel.h"
#include "EmptyStateView.h"
#include "ReviewSheet.h"
#include "SnapshotHooks.h"
#include "Store.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

JournalPage::JournalPage(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_journal(new JournalModel(model.store(), this))
    , m_delegate(new JournalDelegate(this))
{
    setObjectName(QStringLiteral("journalPage"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The filter, a two-part switch in the window's tool bar.
    auto *show = new QWidget;
    show->setObjectName(QStringLiteral("journalFilter"));
    show->setAccessibleName(tr("Show"));
    show->setToolTip(tr("Show everything, or only files waiting for you"));
    auto *segments = new QHBoxLayout(show);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(0);
    auto *group = new QButtonGroup(show);
    for (const auto &[button, text] : {std::pair{&m_all, tr("All")}, std::pair{&m_waiting, tr("Please Check")}}) {
        auto *segment = new QToolButton(show);
        segment->setText(text);
        segment->setCheckable(true);
        segment->setToolButtonStyle(Qt::ToolButtonTextOnly);
        group->addButton(segment);
        segments->addWidget(segment);
        *button = segment;
    }
    auto *filter = new QWidgetAction(this);
    filter->setDefaultWidget(show);
    addAction(filter);

    m_list = new QTableView(this);
    m_list->setObjectName(QStringLiteral("journalList"));
    m_list->setModel(m_journal);
    m_list->setItemDelegate(m_delegate);
    m_list->horizontalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setMinimumSectionSize(1);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->verticalScrollBar()->setSingleStep(24);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(m_list, 1);

    // The empty state lies over the list's viewport, centred.
    m_empty = new EmptyStateView(QStringLiteral("clock.arrow.circlepath"), QString());
    m_empty->attachTo(m_list->viewport());
    m_empty->setAttribute(Qt::WA_TransparentForMouseEvents);

    connect(m_all, &QAbstractButton::clicked, this, [this] { m_model.setJournalFilter(AppModel::JournalFilter::all); });
    connect(m_waiting, &QAbstractButton::clicked, this,
            [this] { m_model.setJournalFilter(AppModel::JournalFilter::review); });
    connect(&m_model, &AppModel::journalFilterChanged, this, &JournalPage::showFilter);
    connect(m_delegate, &JournalDelegate::triggered, this, &JournalPage::trigger);
    connect(m_list, &QWidget::customContextMenuRequested, this, &JournalPage::showContextMenu);
    connect(m_journal, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        fitRows(first, last);
        showEmptyState();
    });
    // The screenshot mode opens and closes the review sheet through its hook.
    connect(&SnapshotHooks::shared(), &SnapshotHooks::reviewChanged, this,
            [this] { review(SnapshotHooks::shared().review()); });
    connect(m_journal, &QAbstractItemModel::rowsRemoved, this, &JournalPage::showEmptyState);
    connect(m_journal, &QAbstractItemModel::modelReset, this, &JournalPage::showEmptyState);
    connect(m_journal, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) { fitRows(from.row(), to.row()); });
    showFilter();
}

JournalPage::~JournalPage() = default;

void JournalPage::showFilter()
{
    const AppModel::JournalFilter filter = m_model.journalFilter();
    m_all->setChecked(filter == AppModel::JournalFilter::all);
    m_waiting->setChecked(filter == AppModel::JournalFilter::review);
    if (filter != m_journal->filter() || m_journal->rowCount() == 0)
        m_journal->setFilter(filter);
    showEmptyState();
}

void JournalPage::showEmptyState()
{
    const bool review = m_journal->filter() == AppModel::JournalFilter::review;
    m_empty->setTitle(review ? tr("Nothing to Check") : tr("Nothing Yet"));
    m_empty->setDescription(review ? tr("Files wait here when Filewright is unsure what it read.")
                                   : tr("When a rule files something, it shows up here. Every step can be undone."));
    m_empty->setVisible(m_journal->rowCount() == 0);
}

QString JournalPage::emptyTitle() const
{
    return m_empty->isVisibleTo(m_list) ? m_empty->title() : QString();
}

void JournalPage::fitRows(int first, int last)
{
    const int width = m_list->viewport()->width();
    QHeaderView *rows = m_list->verticalHeader();
    // Without updates the header resizes a row without working out where
    // it lies, which takes as long as the list is: the list is redrawn once
    // afterwards anyway.
    rows->setUpdatesEnabled(false);
    for (int row = first; row <= last; ++row) {
        const int height = m_delegate->rowHeight(*m_journal, row, width, m_list->font());
        if (rows->sectionSize(row) != height)
            rows->resizeSection(row, height);
    }
    rows->setUpdatesEnabled(true);
    m_fittedWidth = width;
}

void JournalPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A new width may wrap journal lines differently.
    if (m_list->viewport()->width() != m_fittedWidth)
        fitRows(0, m_journal->rowCount() - 1);
}

void JournalPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRows(0, m_journal->rowCount() - 1);
}

void JournalPage::trigger(qint64 entryId, JournalRow::Action action)
{
    if (action == JournalRow::Action::check) {
        review(entryId);
        return;
    }
    std::optional<JournalEntry> entry = m_model.store().journalEntry(entryId);
    if (entry)
        m_model.autopilot().undo(*entry);
}

void JournalPage::review(std::optional<qint64> entryId)
{
    if (m_sheet) {
        m_sheet->close();
        m_sheet->deleteLater();
        m_sheet = nullptr;
    }
    const std::optional<JournalEntry> entry = entryId ? m_model.store().journalEntry(*entryId) : std::nullopt;
    if (!entry)
        return;
    Autopilot &autopilot = m_model.autopilot();
    Store &store = m_model.store();
    // The entry as it is stored when the user decides, not as the sheet opened on it.
    const auto current = [&store](const JournalEntry &shown) { return store.journalEntry(shown.id); };
    m_sheet = new ReviewSheet(
        *entry,
        [&autopilot, current](const JournalEntry &shown, const Recognition &corrected) {
            if (std::optional<JournalEntry> stored = current(shown))
                autopilot.approve(*stored, corrected);
        },
        [&autopilot, current](const JournalEntry &shown) {
            if (std::optional<JournalEntry> stored = current(shown))
                autopilot.skip(*stored);
        },
        window());
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    m_sheet->open();
}

void JournalPage::reveal(qint64 entryId)
{
    const int row = m_journal->rowOf(entryId);
    if (const JournalRow *shown = m_journal->entry(row)) {
        const QString path = shown->existingPath();
        if (!path.isEmpty())
            FileManager::showItems({path});
    }
}

void JournalPage::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_list->indexAt(position);
    const JournalRow *row = m_journal->entry(index.row());
    if (!row)
        return;
    const qint64 id = row->id;
    QMenu menu(this);
    if (row->canUndo())
        menu.addAction(tr("Undo"), this, [this, id] { trigger(id, JournalRow::Action::undo); });
    menu.addAction(tr("Show in File Manager"), this, [this, id] { reveal(id); });
    menu.exec(m_list->viewport()->mapToGlobal(position));
}
