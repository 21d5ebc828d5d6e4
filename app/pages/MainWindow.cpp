#include "MainWindow.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "CommandPalette.h"
#include "EmptyStateView.h"
#include "FileNameText.h"
#include "FoldersPage.h"
#include "JournalPage.h"
#include "OnboardingView.h"
#include "ReceiptsPage.h"
#include "ReturnKey.h"
#include "RuleEditor.h"
#include "RulesPage.h"
#include "Roles.h"
#include "ScreenRoom.h"
#include "SheetSlot.h"
#include "Sidebar.h"
#include "Store.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <QWindow>

namespace {

constexpr int sidebarWidth = 212;
constexpr int statusGap = 12; // between the page's items and the status
} // namespace

MainWindow::MainWindow(AppModel &model, QWidget *parent)
    : QMainWindow(parent)
    , m_model(model)
{
    setWindowTitle(QStringLiteral("Filewright"));
    setObjectName(QStringLiteral("main"));
    fitToScreen();

    auto *splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    m_sidebar = new Sidebar(splitter);
    m_sidebar->setMinimumWidth(180);
    m_detail = new QWidget(splitter);
    auto *detailLayout = new QVBoxLayout(m_detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    splitter->addWidget(m_sidebar);
    splitter->addWidget(m_detail);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({sidebarWidth, defaultSize.width() - sidebarWidth});
    setCentralWidget(splitter);

    m_toolBar = addToolBar(QStringLiteral("page"));
    m_toolBar->setObjectName(QStringLiteral("pageToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    // The status stands in the tool bar after the page's items: the clean-up
    // text, or while files are read the reading indicator in its place.
    auto *status = new QWidget;
    status->setObjectName(QStringLiteral("automationStatus"));
    auto *statusLayout = new QHBoxLayout(status);
    statusLayout->setContentsMargins(statusGap, 0, 4, 0);
    statusLayout->setSpacing(8);
    m_busy = new QProgressBar(status);
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setFixedSize(48, 10);
    m_reading = new QLabel(status);
    m_cleanUp = new QLabel(status);
    for (QLabel *label : {m_reading, m_cleanUp}) {
        Roles::setSecondary(label);
        label->setTextFormat(Qt::PlainText);
    }
    statusLayout->addWidget(m_busy, 0, Qt::AlignVCenter);
    statusLayout->addWidget(m_reading, 1);
    statusLayout->addWidget(m_cleanUp, 1);
    m_status = new QWidgetAction(this);
    m_status->setDefaultWidget(status);

    m_editor = new SheetSlot([this] { m_model.setEditing(std::nullopt); }, this);
    m_palette = new SheetSlot([this] { m_model.setShowPalette(false); }, this);
    m_onboarding = new SheetSlot([this] { m_model.setShowOnboarding(false); }, this);

    connect(m_sidebar, &Sidebar::chosen, &m_model, &AppModel::setSidebar);
    connect(&m_model, &AppModel::sidebarChanged, this, &MainWindow::showPage);
    connect(&m_model, &AppModel::cleanUpResultChanged, this, &MainWindow::refreshStatus);
    connect(&m_model.autopilot(), &Autopilot::busyFilesChanged, this, &MainWindow::refreshStatus);
    connect(&m_model.store(), &Store::changed, this, [this](Store::Model changed) {
        if (changed == Store::Model::journalEntry)
            refreshBadge();
    });
    for (const auto signal : {&AppModel::editingChanged, &AppModel::showPaletteChanged, &AppModel::showOnboardingChanged})
        connect(&m_model, signal, this, &MainWindow::presentSheets);
    showPage();
    refreshBadge();
    refreshStatus();
}

void MainWindow::fitToScreen()
{
    // The room on the screen the window opens on, or moved to, inside the
    // frame it has or a title bar's allowance.
    const QSize inside = ScreenRoom::forWindow(*this);
    if (inside.isEmpty())
        return;
    setMinimumSize(minimumSize.boundedTo(inside));
    // The first size follows the screen until the window is shown, unless
    // it was sized otherwise meanwhile; after that the size is the user's.
    if (!m_sized || (!m_shown && size() == m_firstSize)) {
        m_sized = true;
        m_firstSize = defaultSize.boundedTo(inside);
        resize(m_firstSize);
    }
}

void MainWindow::followScreen(QScreen *screen)
{
    // The least size follows the work area of the screen the window is on:
    // a panel added, or a move to a smaller screen.
    disconnect(m_screenArea);
    if (screen)
        m_screenArea = connect(screen, &QScreen::availableGeometryChanged, this, &MainWindow::fitToScreen);
    fitToScreen();
}

// Each page of the sidebar, made anew whenever it is chosen; the rules page
// once.
QWidget *MainWindow::makePage(SidebarItem item)
{
    switch (item) {
    case SidebarItem::rules:
        if (!m_rulesPage)
            m_rulesPage = new RulesPage(m_model);
        return m_rulesPage;
    case SidebarItem::journal:
        return new JournalPage(m_model);
    case SidebarItem::folders:
        return new FoldersPage(m_model);
    case SidebarItem::receipts:
        return new ReceiptsPage(m_model);
    }
    return nullptr;
}

// The sheets the AppModel asks for; each made anew for every request.
QDialog *MainWindow::makeRuleEditor()
{
    return new RuleEditor(m_model, *m_model.editing(), this);
}

QDialog *MainWindow::makeCommandPalette()
{
    return new CommandPalette(m_model, m_openSettings, this);
}

QDialog *MainWindow::makeOnboarding()
{
    return new OnboardingView(m_model, this);
}

int MainWindow::reviewBadge() const
{
    return m_sidebar->badge(SidebarItem::journal);
}

QString MainWindow::statusText() const
{
    // What the status item holds; the tool bar lays it out later.
    if (isReading())
        return m_reading->text();
    return m_status->isVisible() && !m_cleanUp->isHidden() ? m_cleanUp->text() : QString();
}

bool MainWindow::isReading() const
{
    return m_status->isVisible() && !m_reading->isHidden();
}

QDialog *MainWindow::ruleEditor() const
{
    return m_editor->sheet();
}

QDialog *MainWindow::commandPalette() const
{
    return m_palette->sheet();
}

QDialog *MainWindow::onboarding() const
{
    return m_onboarding->sheet();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && !m_onScreen && windowHandle()->isExposed()) {
        m_onScreen = true;
        // Now with the frame the window manager gave it, where it tells.
        fitToScreen();
        QMetaObject::invokeMethod(this, &MainWindow::presentSheets, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The show event comes before the window is on screen, and before a
    // window manager has placed it. A sheet put on screen before its window
    // is taken by window managers for a window of its own and stacked under
    // the window it blocks, and one shown before the window is placed is
    // centred on where the window is not yet: sheets wait until the window
    // is exposed, which it is once placed.
    if (QWindow *window = windowHandle()) {
        window->installEventFilter(this);
        // Sized for the screen the window opens on, with its frame where
        // that is known by now.
        if (connect(window, &QWindow::screenChanged, this, &MainWindow::followScreen, Qt::UniqueConnection))
            followScreen(window->screen());
    }
    // From its first showing on, the window keeps the size it has.
    m_shown = true;
    if (m_startupTask) {
        // Once per process, however often the window is shown again.
        const auto task = std::move(m_startupTask);
        m_startupTask = nullptr;
        task();
    }
}

void MainWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    // Placed anew when shown again.
    if (!event->spontaneous())
        m_onScreen = false;
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if (ReturnKey::pressFocusedButton(event, this))
        return;
    QMainWindow::keyPressEvent(event);
}

QMenu *MainWindow::createPopupMenu()
{
    return nullptr;
}

void MainWindow::showPage()
{
    const std::optional<SidebarItem> selected = m_model.sidebar();
    m_sidebar->select(selected);
    // No selection shows the rules page.
    const SidebarItem item = selected.value_or(SidebarItem::rules);
    if (m_page && m_pageItem == item)
        return;
    QWidget *page = makePage(item);
    page->setObjectName(SidebarItems::rawValue(item) + QStringLiteral("Page"));
    if (m_page) {
        // The layout's item that held the old page is ours to delete.
        delete m_detail->layout()->replaceWidget(m_page, page);
        m_page->hide();
        if (m_page != m_rulesPage)
            m_page->deleteLater();
    } else {
        m_detail->layout()->addWidget(page);
    }
    page->show();
    m_page = page;
    m_pageItem = item;
    m_toolBar->clear();
    m_toolBar->addActions(page->actions());
    m_toolBar->addAction(m_status);
    orderTabStops();
    refreshToolBar();
}

void MainWindow::orderTabStops()
{
    // The bar makes its buttons without focus; here they are stops like any
    // other control.
    for (QAction *action : m_toolBar->actions()) {
        if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(action))) {
            button->setFocusPolicy(Qt::TabFocus);
            button->setObjectName(action->objectName());
        }
    }
    // The bar's items are made (or put into the bar) after the page's
    // controls, in the bar's order, so they follow the page in the chain.
    // The sidebar goes after them: the walk then runs bar, sidebar, page.
    // Controls a page makes later come last in the chain, which is after
    // the sidebar as well.
    QWidget *lastInBar = nullptr;
    for (QWidget *widget = nextInFocusChain(); widget != this; widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() != Qt::NoFocus && m_toolBar->isAncestorOf(widget))
            lastInBar = widget;
    }
    if (lastInBar)
        QWidget::setTabOrder(lastInBar, m_sidebar);
}

void MainWindow::setToolBarShown(bool shown)
{
    m_toolBarShown = shown;
    refreshToolBar();
}

void MainWindow::refreshToolBar()
{
    const bool pageItems = m_page && !m_page->actions().isEmpty();
    m_toolBar->setVisible(m_toolBarShown && (pageItems || m_status->isVisible()));
}

void MainWindow::refreshBadge()
{
    m_sidebar->setBadge(SidebarItem::journal, int(m_model.store().journalCount(JournalEntry::Status::review)));
}

void MainWindow::refreshStatus()
{
    // The reading indicator takes the place of the clean-up text while files are read.
    const QStringList busy = m_model.autopilot().busyFiles();
    const std::optional<QString> cleanUp = m_model.cleanUpResult();
    m_reading->setText(busy.isEmpty() ? QString() : tr("Reading %1").arg(FileNameText::shortened(busy.constFirst())));
    m_busy->setVisible(!busy.isEmpty());
    m_reading->setVisible(!busy.isEmpty());
    m_cleanUp->setText(cleanUp.value_or(QString()));
    m_cleanUp->setVisible(busy.isEmpty() && cleanUp.has_value());
    m_status->setVisible(!busy.isEmpty() || cleanUp.has_value());
    refreshToolBar();
}

void MainWindow::presentSheets()
{
    // Sheets belong on the window: while it is hidden, or not yet on
    // screen, they wait.
    if (!isVisible() || !m_onScreen)
        return;
    const std::optional<AppModel::Editing> &editing = m_model.editing();
    if (!editing) {
        m_editor->dismiss();
    } else if (!m_editor->sheet() || m_editorFor != editing->id) {
        m_editorFor = editing->id;
        m_editor->present(makeRuleEditor());
    }
    const auto follow = [](SheetSlot *slot, bool shown, const std::function<QDialog *()> &make) {
        if (!shown)
            slot->dismiss();
        else if (!slot->sheet())
            slot->present(make());
    };
    follow(m_palette, m_model.showPalette(), [this] { return makeCommandPalette(); });
    follow(m_onboarding, m_model.showOnboarding(), [this] { return makeOnboarding(); });
}
