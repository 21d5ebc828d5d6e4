#include "MainWindow.h"

#include "AppModel.h"
#include "FoldersPage.h"
#include "ReceiptsPage.h"
#include "Autopilot.h"
#include "JournalPage.h"
#include "Store.h"
#include "Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>

MainWindow::MainWindow(AppModel &model, QWidget *parent)
    : QMainWindow(parent)
    , m_model(model)
{
    setWindowTitle(QStringLiteral("Filewright"));
    setObjectName(QStringLiteral("main"));
    setMinimumSize(minimumSize);
    resize(defaultSize);

    auto *splitter = new QSplitter(this);
    m_sidebar = new QListWidget(splitter);
    m_sidebar->setObjectName(QStringLiteral("sidebar"));
    m_sidebar->setMinimumWidth(180);
    m_sidebar->setFrameShape(QFrame::NoFrame);
    for (const SidebarItem item : SidebarItems::allCases) {
        auto *row = new QListWidgetItem(Symbols::icon(SidebarItems::symbol(item)), SidebarItems::title(item), m_sidebar);
        row->setData(Qt::UserRole, SidebarItems::rawValue(item));
    }
    m_pages = new QStackedWidget(splitter);
    for (const SidebarItem item : SidebarItems::allCases) {
        auto *placeholder = new QWidget(m_pages);
        placeholder->setObjectName(SidebarItems::rawValue(item) + QStringLiteral("Page"));
        m_pages->addWidget(placeholder);
    }
    setPage(SidebarItem::journal, new JournalPage(m_model));
    splitter->addWidget(m_sidebar);
    splitter->addWidget(m_pages);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({212, defaultSize.width() - 212});
    setCentralWidget(splitter);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setForegroundRole(QPalette::PlaceholderText);
    statusBar()->addWidget(m_status, 1);

    connect(m_sidebar, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0)
            m_model.setSidebar(std::nullopt);
        else
            m_model.setSidebar(SidebarItems::allCases[std::size_t(row)]);
    });
    connect(&m_model, &AppModel::sidebarChanged, this, &MainWindow::showSidebarSelection);
    connect(&m_model, &AppModel::cleanUpResultChanged, this, &MainWindow::refreshStatus);
    connect(&m_model.autopilot(), &Autopilot::busyFilesChanged, this, &MainWindow::refreshStatus);
    connect(&m_model.store(), &Store::changed, this, [this](Store::Model changed) {
        if (changed == Store::Model::journalEntry)
            refreshBadge();
    });
    setPage(SidebarItem::folders, new FoldersPage(m_model));
    setPage(SidebarItem::receipts, new ReceiptsPage(m_model));
    showSidebarSelection();
    refreshBadge();
    refreshStatus();
}

void MainWindow::setPage(SidebarItem item, QWidget *page)
{
    const int index = int(item);
    QWidget *old = m_pages->widget(index);
    m_pages->insertWidget(index, page);
    m_pages->removeWidget(old);
    old->deleteLater();
    showSidebarSelection();
}

QWidget *MainWindow::page(SidebarItem item) const
{
    return m_pages->widget(int(item));
}

QWidget *MainWindow::currentPage() const
{
    return m_pages->currentWidget();
}

QString MainWindow::statusText() const
{
    return m_status->text();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_startupTask) {
        // Once per process, however often the window is shown again.
        const auto task = std::move(m_startupTask);
        m_startupTask = nullptr;
        task();
    }
}

void MainWindow::showSidebarSelection()
{
    const std::optional<SidebarItem> item = m_model.sidebar();
    const QSignalBlocker blocker(m_sidebar);
    m_sidebar->setCurrentRow(item ? int(*item) : -1);
    // No selection shows the rules page.
    m_pages->setCurrentIndex(int(item.value_or(SidebarItem::rules)));
}

void MainWindow::refreshBadge()
{
    const int count = int(m_model.store().journal(JournalEntry::Status::review).size());
    if (count == m_reviewCount)
        return;
    m_reviewCount = count;
    QListWidgetItem *row = m_sidebar->item(int(SidebarItem::journal));
    const QString title = SidebarItems::title(SidebarItem::journal);
    row->setText(count > 0 ? QStringLiteral("%1  (%2)").arg(title).arg(count) : title);
}

void MainWindow::refreshStatus()
{
    const QStringList busy = m_model.autopilot().busyFiles();
    if (!busy.isEmpty())
        m_status->setText(tr("Reading %1").arg(busy.constFirst()));
    else
        m_status->setText(m_model.cleanUpResult().value_or(QString()));
}
