#include "MenuCommands.h"

#include "AppModel.h"
#include "Diagnostics.h"
#include "ExternalLink.h"
#include "MainWindow.h"
#include "SidebarItem.h"
#include "Updater.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QUrl>

namespace {

// A page's title as the "Go" menu shows it: the sidebar's words with the
// letter that picks it in the menu.
QString goTitle(SidebarItem item)
{
    switch (item) {
    case SidebarItem::rules:
        return MenuCommands::tr("&Rules");
    case SidebarItem::journal:
        return MenuCommands::tr("&Journal");
    case SidebarItem::folders:
        return MenuCommands::tr("&Folders");
    case SidebarItem::receipts:
        return MenuCommands::tr("R&eceipts");
    }
    return SidebarItems::title(item);
}

} // namespace

MenuCommands::MenuCommands(QMainWindow &window, AppModel &model, Updater &updater, std::function<void()> openSettings,
                           std::function<void()> showPanel)
    : QObject(&window)
    , m_window(window)
{
    QMenuBar *bar = window.menuBar();

    QMenu *file = bar->addMenu(tr("&File"));
    add(file, QStringLiteral("newRule"), tr("&New Rule"), QKeySequence(Qt::CTRL | Qt::Key_N), [&model] { model.newRule(); });
    add(file, QStringLiteral("describeRule"), tr("&Describe a Rule…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
        [&model] { model.focusDescribeField(); });
    file->addSeparator();
    add(file, QStringLiteral("addFolder"), tr("&Add Folder…"), QKeySequence(Qt::CTRL | Qt::Key_O),
        [&model] { model.chooseFolder(true); });
    file->addSeparator();
    QAction *settings = add(file, QStringLiteral("settings"), tr("&Settings…"), QKeySequence(Qt::CTRL | Qt::Key_Comma),
                            std::move(openSettings));
    settings->setMenuRole(QAction::PreferencesRole);
    add(file, QStringLiteral("setUp"), tr("Set &Up Filewright…"), {}, [&model] { model.setShowOnboarding(true); });
    file->addSeparator();
    // The focused window: the main window goes to the tray as with its close
    // button. A sheet blocks this shortcut and closes itself on the same keys.
    add(file, QStringLiteral("closeWindow"), tr("&Close Window"), QKeySequence(Qt::CTRL | Qt::Key_W), [] {
        if (QWidget *focused = QApplication::activeWindow())
            focused->close();
    });
    // Quitting closes every window, an open sheet as its Cancel does.
    m_quit = add(file, QStringLiteral("quit"), tr("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                 [] { QApplication::quit(); });
    m_quit->setMenuRole(QAction::QuitRole);
    QCoreApplication::instance()->installEventFilter(this);

    QMenu *view = bar->addMenu(tr("&View"));
    QAction *sidebar = add(view, QStringLiteral("toggleSidebar"), tr("Show &Sidebar"),
                           QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S), {});
    sidebar->setCheckable(true);
    sidebar->setChecked(true);
    connect(sidebar, &QAction::toggled, this, [&window](bool shown) {
        if (QWidget *list = window.findChild<QWidget *>(QStringLiteral("sidebar")))
            list->setVisible(shown);
    });
    QAction *toolBar = add(view, QStringLiteral("toggleToolBar"), tr("Show &Toolbar"), {}, {});
    toolBar->setCheckable(true);
    toolBar->setChecked(true);
    connect(toolBar, &QAction::toggled, this, [&window](bool shown) {
        if (auto *main = qobject_cast<MainWindow *>(&window))
            main->setToolBarShown(shown);
    });

    QMenu *go = bar->addMenu(tr("&Go"));
    go->setObjectName(QStringLiteral("goMenu"));
    add(go, QStringLiteral("palette"), tr("&Command Palette…"), QKeySequence(Qt::CTRL | Qt::Key_K),
        [&model] { model.setShowPalette(true); });
    go->addSeparator();
    int position = 0;
    for (const SidebarItem item : SidebarItems::allCases) {
        ++position;
        const QString name = QStringLiteral("go") + SidebarItems::rawValue(item).left(1).toUpper() +
                             SidebarItems::rawValue(item).mid(1);
        add(go, name, goTitle(item), QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + position)),
            [&model, item] { model.setSidebar(item); });
    }
    go->addSeparator();
    add(go, QStringLiteral("showReview"), tr("&Show Items to Check"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
        [&model] {
            model.setSidebar(SidebarItem::journal);
            model.setJournalFilter(AppModel::JournalFilter::review);
        });
    add(go, QStringLiteral("showPanel"), tr("Show &Panel"), {}, std::move(showPanel));

    QMenu *help = bar->addMenu(tr("&Help"));
    add(help, QStringLiteral("website"), tr("Filewright &Website"), {},
        [&window] { ExternalLink::open(QUrl(QString::fromLatin1(Diagnostics::website)), &window); });
    add(help, QStringLiteral("writeToSupport"), tr("Write to &Support…"), {}, [] { Diagnostics::mailSupport(); });
    help->addSeparator();
    add(help, QStringLiteral("copyDiagnostics"), tr("Copy &Diagnostics"), {},
        [&model] { QGuiApplication::clipboard()->setText(Diagnostics::text(model)); });
    help->addSeparator();
    QAction *check = add(help, QStringLiteral("checkForUpdates"), tr("Check for &Updates…"), {},
                         [&updater] { updater.checkForUpdates(); });
    check->setEnabled(updater.canCheck());
    connect(&updater, &Updater::canCheckChanged, check, &QAction::setEnabled);
}

MenuCommands::~MenuCommands()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

QAction *MenuCommands::action(const QString &name) const
{
    return m_window.findChild<QAction *>(name);
}

bool MenuCommands::eventFilter(QObject *watched, QEvent *event)
{
    // Qt holds the menu's shortcuts back while a sheet blocks the window and
    // while the window is hidden in the tray: Quit's keys then come as a key
    // press to the focused control of the sheet, the settings window or the
    // panel. Where the shortcut fires, no key press follows.
    if (event->type() == QEvent::KeyPress && m_quit->isEnabled()
        && QKeySequence(static_cast<QKeyEvent *>(event)->keyCombination()) == m_quit->shortcut()) {
        m_quit->trigger();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QAction *MenuCommands::add(QMenu *menu, const QString &name, const QString &title, const QKeySequence &shortcut,
                           std::function<void()> trigger)
{
    auto *action = new QAction(title, &m_window);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::ApplicationShortcut);
    }
    if (trigger)
        connect(action, &QAction::triggered, this, [trigger = std::move(trigger)] { trigger(); });
    menu->addAction(action);
    return action;
}
