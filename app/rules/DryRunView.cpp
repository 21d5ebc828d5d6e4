#include "DryRunView.h"

#include "Autopilot.h"
#include "DryRunRowView.h"
#include "EmptyStateView.h"
#include "FileNameText.h"
#include "ProminentButton.h"
#include "RealHome.h"
#include "Roles.h"
#include "RowListArea.h"

#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

DryRunView::DryRunView(Autopilot &autopilot, DryRunRequest request, QWidget *parent)
    : Sheet(parent)
    , m_autopilot(autopilot)
    , m_request(std::move(request))
{
    setFixedSize(fixedSize);
    setWindowTitle(tr("Dry Run: %1").arg(m_request.rule.name));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QVBoxLayout;
    header->setContentsMargins(16, 16, 16, 16);
    header->setSpacing(4);
    auto *title = new QLabel(tr("Dry Run: %1").arg(m_request.rule.name), this);
    title->setObjectName(QStringLiteral("title"));
    title->setTextFormat(Qt::PlainText);
    // Both lines wrap within the sheet at any font, as a long rule name or
    // a translation needs.
    title->setWordWrap(true);
    Roles::setFont(title, Roles::Font::headline);
    header->addWidget(title);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("count"));
    m_count->setWordWrap(true);
    Roles::setSecondary(m_count);
    header->addWidget(m_count);
    layout->addLayout(header);
    layout->addWidget(divider(this));

    // The rows hold no controls: the list is one stop, scrolled by keyboard.
    auto *scroll = new RowListArea(this);
    scroll->setObjectName(QStringLiteral("rows"));
    scroll->setWidgetResizable(true);
    auto *list = new QWidget(scroll);
    m_list = new QVBoxLayout(list);
    m_list->setContentsMargins(16, 8, 16, 8);
    m_list->setSpacing(0);
    m_list->addStretch();
    scroll->setWidget(list);
    layout->addWidget(scroll, 1);
    m_emptyState = new EmptyStateView(QStringLiteral("folder"), QString(), QString(), scroll);
    m_emptyState->attachTo(scroll->viewport());
    layout->addWidget(divider(this));

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(16, 16, 16, 16);
    m_matches = new QLabel(this);
    m_matches->setObjectName(QStringLiteral("matches"));
    Roles::setSecondary(m_matches);
    footer->addWidget(m_matches);
    footer->addStretch();
    auto *doneButton = new ProminentButton(tr("Done"), this);
    doneButton->setObjectName(QStringLiteral("done"));
    doneButton->setDefault(true);
    connect(doneButton, &QPushButton::clicked, this, &QDialog::accept);
    footer->addWidget(doneButton);
    layout->addLayout(footer);
    refreshTexts();
}

DryRunView::~DryRunView()
{
    stop();
}

QString DryRunView::describe(const Plan &plan)
{
    QStringList parts;
    if (plan.destination != plan.original)
        parts.append(FileNameText::path(RealHome::abbreviate(plan.destination)));
    if (!plan.tags.isEmpty())
        parts.append(tr("Tags: %1").arg(plan.tags.join(QStringLiteral(", "))));
    if (plan.trashAfterDays)
        parts.append(tr("to the Trash after %n day(s)", nullptr, *plan.trashAfterDays));
    if (plan.openWith)
        parts.append(tr("open with %1").arg(*plan.openWith));
    return parts.join(QStringLiteral(" \u00B7 "));
}

void DryRunView::showEvent(QShowEvent *event)
{
    Sheet::showEvent(event);
    if (!m_started) {
        m_started = true;
        start();
    }
}

void DryRunView::done(int result)
{
    stop();
    QDialog::done(result);
}

void DryRunView::start()
{
    std::optional<WatchedFolder> folder = m_autopilot.folder(m_request.folderID);
    if (!folder) {
        m_empty = Empty::noFolder;
        return refreshTexts();
    }
    const QPointer<DryRunView> self(this);
    m_run = m_autopilot.dryRun(m_request.rule, *folder, [self](const QList<DryRunRow> &rows) {
        if (self)
            self->deliver(rows);
    });
    // A run that ended without handing over a single list never reached the folder.
    if (m_run->isFinished() && m_empty == Empty::waiting)
        m_empty = Empty::unreachable;
    connect(m_run.get(), &DryRun::finished, this, [this] {
        if (m_empty == Empty::waiting)
            m_empty = Empty::unreachable;
        refreshTexts();
    });
    refreshTexts();
}

void DryRunView::stop()
{
    if (m_run)
        m_run->cancel();
}

void DryRunView::deliver(const QList<DryRunRow> &rows)
{
    m_rows = rows;
    if (m_empty == Empty::waiting)
        m_empty = Empty::noFiles;
    // The ids stay the same for the whole run: rows are filled in where they stand.
    for (const DryRunRow &row : rows) {
        if (DryRunRowView *view = m_views.value(row.id)) {
            if (!(view->row() == row))
                view->setRow(row);
            continue;
        }
        auto *view = new DryRunRowView(row, m_list->parentWidget());
        m_list->insertWidget(m_list->count() - 1, view);
        m_views.insert(row.id, view);
    }
    refreshTexts();
}

void DryRunView::refreshTexts()
{
    const qsizetype matches = std::count_if(m_rows.begin(), m_rows.end(), [](const DryRunRow &row) { return row.plan.has_value(); });
    const int total = int(m_rows.size());
    m_count->setText(tr("What this rule would do with the newest %n file(s). Nothing is changed.", nullptr, total));
    m_matches->setText(tr("%n of %1 match.", "%1 counts the files tried, as in “5 files”", int(matches))
                           .arg(tr("%n file(s)", "after “of”, as in “2 of 5 files”", total)));
    m_emptyState->setVisible(m_rows.isEmpty());
    switch (m_empty) {
    case Empty::noFolder:
        m_emptyState->setSymbol(QStringLiteral("folder.badge.questionmark"));
        m_emptyState->setTitle(tr("No Folder"));
        m_emptyState->setDescription(tr("This rule has no folder to try it on."));
        break;
    case Empty::unreachable:
        m_emptyState->setSymbol(QStringLiteral("folder.badge.questionmark"));
        m_emptyState->setTitle(tr("Folder Not Available"));
        m_emptyState->setDescription(tr("Filewright can no longer open this folder."));
        break;
    case Empty::waiting:
    case Empty::noFiles:
        m_emptyState->setSymbol(QStringLiteral("folder"));
        m_emptyState->setTitle(tr("No Files"));
        m_emptyState->setDescription(tr("This folder has no files yet."));
        break;
    }
}
