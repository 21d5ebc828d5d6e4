#include "JournalPage.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "ChosenSegment.h"
#include "FileManager.h"
#include "JournalDelegate.h"
#include "JournalList.h"
#include "JournalModel.h"
#include "PageTitle.h"
#include "EmptyStateView.h"
#include "ReviewSheet.h"
#include "SnapshotHooks.h"
#include "Store.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>

#include <memory>
#include <tuple>

namespace {
constexpr int titleInset = 16; // in line with the rows' text
} // namespace

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

    // The filter, a two-part switch in the window's tool bar. It is one Tab
    // stop, on the segment checked (see showFilter); the arrow keys move to
    // the other segment and choose it.
    auto *show = new QWidget;
    show->setObjectName(QStringLiteral("journalFilter"));
    show->setAccessibleName(tr("Show"));
    show->setToolTip(tr("Show everything, or only files waiting for you"));
    auto *segments = new QHBoxLayout(show);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(0);
    for (const auto &[button, text, name] : {std::tuple{&m_all, tr("All"), "all"},
                                             std::tuple{&m_waiting, tr("Please Check"), "review"}}) {
        auto *segment = new QToolButton(show);
        segment->setObjectName(QLatin1String(name));
        segment->setText(text);
        segment->setCheckable(true);
        // Exclusive among the switch's segments; unlike a button group this
        // lets the arrow keys reach a segment that is no Tab stop.
        segment->setAutoExclusive(true);
        segment->setToolButtonStyle(Qt::ToolButtonTextOnly);
        ChosenSegment::mark(segment);
        segments->addWidget(segment);
        *button = segment;
    }
    auto *filter = new QWidgetAction(this);
    filter->setDefaultWidget(show);
    addAction(filter);

    auto *title = new PageTitle(tr("Journal"), this);
    title->setContentsMargins(titleInset, titleInset, titleInset, titleInset / 2);
    layout->addWidget(title);

    m_list = new JournalList(this);
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
    // Tab leaves the list; the arrow keys move in it.
    m_list->setTabKeyNavigation(false);
    // Context menus and the row keys are handled here, for the mouse and the keyboard alike.
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    m_list->verticalHeader()->setDefaultSectionSize(m_delegate->usualRowHeight(m_list->font()));
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
    // The rows of a decision under way show it until it has ended.
    Autopilot &autopilot = m_model.autopilot();
    connect(&autopilot, &Autopilot::decidingChanged, m_journal,
            [this, &autopilot](qint64 id) { m_journal->setBusy(id, autopilot.isDeciding(id)); });
    for (const qint64 id : autopilot.deciding())
        m_journal->setBusy(id, true);
    connect(m_journal, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        m_fitted.insert(m_fitted.begin() + first, std::size_t(last - first + 1), 0);
        fitShown();
        showEmptyState();
    });
    connect(m_journal, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex &, int first, int last) {
        m_fitted.erase(m_fitted.begin() + first, m_fitted.begin() + last + 1);
        fitShown();
    });
    connect(m_journal, &QAbstractItemModel::modelReset, this, [this] {
        m_fitted.assign(std::size_t(m_journal->rowCount()), 0);
        fitShown();
    });
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this, &JournalPage::fitShown);
    // The screenshot mode opens and closes the review sheet through its hook.
    connect(&SnapshotHooks::shared(), &SnapshotHooks::reviewChanged, this,
            [this] { review(SnapshotHooks::shared().review()); });
    connect(m_journal, &QAbstractItemModel::rowsRemoved, this, &JournalPage::showEmptyState);
    connect(m_journal, &QAbstractItemModel::modelReset, this, &JournalPage::showEmptyState);
    connect(m_journal, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
        std::fill(m_fitted.begin() + from.row(), m_fitted.begin() + to.row() + 1, 0);
        fitShown();
    });
    showFilter();
}

JournalPage::~JournalPage() = default;

void JournalPage::showFilter()
{
    const AppModel::JournalFilter filter = m_model.journalFilter();
    m_all->setChecked(filter == AppModel::JournalFilter::all);
    m_waiting->setChecked(filter == AppModel::JournalFilter::review);
    for (QAbstractButton *segment : {m_all, m_waiting})
        segment->setFocusPolicy(segment->isChecked() ? Qt::TabFocus : Qt::NoFocus);
    // A filter set elsewhere (a menu command) takes the focus along.
    QAbstractButton *checked = m_all->isChecked() ? m_all : m_waiting;
    if ((m_all->hasFocus() || m_waiting->hasFocus()) && !checked->hasFocus())
        checked->setFocus(Qt::OtherFocusReason);
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
    const bool empty = m_journal->rowCount() == 0;
    m_empty->setVisible(empty);
    // A list under the empty state is no stop. The focus it holds goes to
    // the filter once the list has stayed empty (a filter chosen anew or an
    // entry that moves empties it for a moment).
    m_list->setFocusPolicy(empty ? Qt::NoFocus : Qt::StrongFocus);
    if (empty && window()->focusWidget() == m_list)
        QMetaObject::invokeMethod(this, &JournalPage::leaveEmptyList, Qt::QueuedConnection);
}

void JournalPage::leaveEmptyList()
{
    if (m_journal->rowCount() == 0 && window()->focusWidget() == m_list)
        (m_all->isChecked() ? m_all : m_waiting)->setFocus(Qt::OtherFocusReason);
}

QString JournalPage::emptyTitle() const
{
    return m_empty->isVisibleTo(m_list) ? m_empty->title() : QString();
}

void JournalPage::fitShown()
{
    const int count = m_journal->rowCount();
    const int height = m_list->viewport()->height();
    if (count == 0 || int(m_fitted.size()) != count || height <= 0)
        return;
    QHeaderView *rows = m_list->verticalHeader();
    // Without updates the header resizes a row without working out where
    // it lies, which takes as long as the list is; and without its signals
    // the list does not draw itself a second time for rows it is about to
    // draw anyway. It is laid out once afterwards instead.
    rows->setUpdatesEnabled(false);
    bool resized = false;
    {
        const QSignalBlocker quiet(rows);
        resized = measureRowsInView(height);
    }
    rows->setUpdatesEnabled(true);
    if (resized)
        m_list->doItemsLayout();
    m_fittedWidth = m_list->viewport()->width();
}

bool JournalPage::measureRowsInView(int height)
{
    QHeaderView *rows = m_list->verticalHeader();
    const int width = m_list->viewport()->width();
    bool any = false;
    // Rows that shrink bring more rows into view: those are measured too.
    for (int round = 0; round < 4; ++round) {
        const int first = std::max(0, rows->visualIndexAt(0));
        int last = rows->visualIndexAt(height - 1);
        if (last < 0)
            last = m_journal->rowCount() - 1;
        bool resized = false;
        for (int row = first; row <= last; ++row) {
            if (m_fitted[std::size_t(row)] == m_fitRound)
                continue;
            m_fitted[std::size_t(row)] = m_fitRound;
            const int fitted = m_delegate->rowHeight(*m_journal, row, width, m_list->font());
            if (rows->sectionSize(row) != fitted) {
                rows->resizeSection(row, fitted);
                resized = true;
            }
        }
        any = any || resized;
        if (!resized)
            break;
    }
    return any;
}

void JournalPage::refit()
{
    ++m_fitRound;
    fitShown();
}

void JournalPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_list->verticalHeader()->setDefaultSectionSize(m_delegate->usualRowHeight(m_list->font()));
        refit();
    }
}

bool JournalPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::Resize) {
        // A new width may wrap journal lines differently; a new height shows more rows.
        if (m_list->viewport()->width() != m_fittedWidth)
            refit();
        else
            fitShown();
    }
    if (event->type() == QEvent::ContextMenu) {
        const auto *menu = static_cast<QContextMenuEvent *>(event);
        if (watched == m_list->viewport() && menu->reason() != QContextMenuEvent::Keyboard) {
            if (const JournalRow *row = m_journal->entry(m_list->indexAt(menu->pos()).row()))
                showContextMenu(row->id, menu->globalPos());
            return true;
        }
    }
    if (watched == m_list) {
        switch (m_menuKeys.read(event)) {
        case ContextMenuKeys::Request::open:
            if (const qint64 id = currentEntry(); id != 0)
                showContextMenu(id, {});
            return true;
        case ContextMenuKeys::Request::repeated:
            return true;
        case ContextMenuKeys::Request::none:
            break;
        }
    }
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            // Return opens a waiting file's check, with the same checks as
            // its button. A key pressed to open something never undoes a
            // filing: that stays with the row's button and its menu.
            const JournalRow *row = m_journal->entry(m_list->currentIndex().row());
            if (row && row->action() == JournalRow::Action::check)
                trigger(row->id, JournalRow::Action::check);
            return row != nullptr;
        }
    }
    return QWidget::eventFilter(watched, event);
}

qint64 JournalPage::currentEntry() const
{
    const JournalRow *row = m_journal->entry(m_list->currentIndex().row());
    return row ? row->id : 0;
}

void JournalPage::trigger(qint64 entryId, JournalRow::Action action)
{
    // One decision per entry at a time: a second click waits for nothing.
    if (m_model.autopilot().isDeciding(entryId))
        return;
    if (action == JournalRow::Action::check)
        review(entryId);
    else
        m_model.autopilot().startUndo(entryId);
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
    // The Autopilot takes the entry as it is stored when the user decides,
    // not as the sheet opened on it, and files it off the main thread.
    m_sheet = new ReviewSheet(
        *entry,
        [&autopilot](const JournalEntry &shown, const Recognition &corrected) {
            autopilot.startApprove(shown.id, corrected);
        },
        [&autopilot](const JournalEntry &shown) { autopilot.startSkip(shown.id); }, window());
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

QMenu *JournalPage::contextMenu(qint64 entryId)
{
    const JournalRow *row = m_journal->entry(m_journal->rowOf(entryId));
    if (!row)
        return nullptr;
    auto *menu = new QMenu(this);
    if (row->canUndo())
        menu->addAction(tr("Undo"), this, [this, entryId] { trigger(entryId, JournalRow::Action::undo); });
    menu->addAction(tr("Show in File Manager"), this, [this, entryId] { reveal(entryId); });
    return menu;
}

void JournalPage::showContextMenu(qint64 entryId, const QPoint &globalPosition)
{
    const std::unique_ptr<QMenu> menu(contextMenu(entryId));
    if (!menu)
        return;
    QPoint at = globalPosition;
    if (at.isNull()) {
        // From the keyboard: under the row's title.
        const QRect rect = m_list->visualRect(m_journal->index(m_journal->rowOf(entryId)));
        at = ContextMenuKeys::shownPosition(m_list->viewport(), rect.topLeft() + QPoint(48, rect.height() / 2));
    }
    menu->exec(at);
}
