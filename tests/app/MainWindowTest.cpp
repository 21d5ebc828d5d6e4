#include "AppModel.h"
#include "Appearance.h"
#include "Autopilot.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "MenuCommands.h"
#include "PageTitle.h"
#include "ReceiptsPage.h"
#include "Sidebar.h"
#include "Store.h"
#include "TestSupport.h"
#include "WindowPictures.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QWindow>
#include <gtest/gtest.h>

#include <map>

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("window.store"))));
        window = std::make_unique<MainWindow>(*model);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    JournalEntry add(JournalEntry::Status status)
    {
        JournalEntry entry(std::nullopt, QStringLiteral("Rule"), QStringLiteral("/tmp/a.pdf"), QString(), status);
        model->store().insert(entry);
        return entry;
    }

    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, BadgeCountsOnlyEntriesWaitingForReviewAndFollowsTheStore)
{
    EXPECT_EQ(window->reviewBadge(), 0);
    for (const auto status : {JournalEntry::Status::done, JournalEntry::Status::undone, JournalEntry::Status::failed,
                              JournalEntry::Status::trashed, JournalEntry::Status::skipped})
        add(status);
    JournalEntry waiting = add(JournalEntry::Status::review);
    add(JournalEntry::Status::review);
    add(JournalEntry::Status::review);
    EXPECT_EQ(window->reviewBadge(), 3);
    waiting.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::skipped);
    model->store().update(waiting);
    EXPECT_EQ(window->reviewBadge(), 2);
}

TEST_F(MainWindowTest, CleanUpTextGivesWayToTheReadingIndicatorAndComesBack)
{
    const QString cleaning = QStringLiteral("Cleaning up Downloads…");
    model->setCleanUpResult(cleaning);
    EXPECT_EQ(window->statusText(), cleaning);
    EXPECT_FALSE(window->isReading());

    QObject context;
    int read = 0;
    // What the status says each time the files being read change; the window
    // hears of the change first. A line break in a name stays out of the line.
    QStringList shown;
    QObject::connect(&model->autopilot(), &Autopilot::busyFilesChanged, &context, [&] {
        if (window->isReading())
            shown.append(window->statusText());
    });
    for (const char *name : {"first\nline.txt", "second.txt"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(TestSupport::writeFile(path, QByteArray("Rechnung Nr. 12\nBetrag 12,50 EUR\n").append(name)));
        model->autopilot().recognize(path, std::nullopt, false, &context, [&](const Recognition &) { ++read; });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return read == 2 && !window->isReading(); }, 60000));
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.constFirst(), QStringLiteral("Reading first\uFFFDline.txt")); // only the first file read is named
    for (const QString &text : std::as_const(shown))
        EXPECT_FALSE(text.contains(u'\n')) << text.toStdString();
    EXPECT_EQ(window->statusText(), cleaning);
    model->setCleanUpResult(std::nullopt);
    EXPECT_EQ(window->statusText(), QString());
}

TEST_F(MainWindowTest, TheToolBarHoldsTheStatusAfterThePagesItems)
{
    QToolBar *bar = window->toolBar();
    auto *status = window->findChild<QWidget *>(QStringLiteral("automationStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(bar->isAncestorOf(status));
    EXPECT_EQ(window->findChild<QStatusBar *>(), nullptr); // no bar at the bottom
    EXPECT_FALSE(status->isVisibleTo(window.get()));

    const QString result = QStringLiteral("Downloads: 3 files handled");
    model->setCleanUpResult(result);
    for (const SidebarItem page : SidebarItems::allCases) {
        model->setSidebar(page);
        SCOPED_TRACE(SidebarItems::rawValue(page).toStdString());
        ASSERT_TRUE(bar->isAncestorOf(status));
        EXPECT_TRUE(bar->isVisible());
        // The bar shows its items once it has laid them out.
        EXPECT_TRUE(QTest::qWaitFor([&] { return status->isVisible(); }, 5000));
        EXPECT_EQ(window->statusText(), result);
        // Last in the bar, to the right of each of the page's items.
        const QList<QAction *> items = bar->actions();
        ASSERT_GE(items.size(), 2);
        EXPECT_EQ(bar->widgetForAction(items.constLast()), status);
        for (QAction *item : items.first(items.size() - 1)) {
            const QWidget *shown = bar->widgetForAction(item);
            ASSERT_NE(shown, nullptr);
            EXPECT_LE(shown->geometry().right(), status->geometry().left()) << item->text().toStdString();
        }
    }

    WindowPictures::expectLightAndDark(*window, QStringLiteral("main-status"));

    // A page without items of its own still shows the bar for the status.
    for (QAction *item : window->currentPage()->actions())
        window->currentPage()->removeAction(item);
    model->setCleanUpResult(std::nullopt);
    EXPECT_FALSE(bar->isVisible());
    model->setCleanUpResult(result);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->isVisible(); }, 5000));

    // The user may hide the bar, and show it again.
    window->setToolBarShown(false);
    EXPECT_FALSE(bar->isVisible());
    window->setToolBarShown(true);
    EXPECT_TRUE(bar->isVisible());
}

TEST_F(MainWindowTest, EachPageShowsItsTitleOverItsContent)
{
    // What each page's title stands over.
    const std::map<SidebarItem, QString> content{{SidebarItem::rules, QStringLiteral("noRules")},
                                                 {SidebarItem::journal, QStringLiteral("journalList")},
                                                 {SidebarItem::folders, QStringLiteral("watchedFolders")},
                                                 {SidebarItem::receipts, QStringLiteral("receipts")}};
    for (const SidebarItem item : SidebarItems::allCases) {
        model->setSidebar(item);
        QCoreApplication::processEvents();
        SCOPED_TRACE(SidebarItems::rawValue(item).toStdString());
        QWidget *page = window->currentPage();
        const QList<PageTitle *> titles = page->findChildren<PageTitle *>();
        ASSERT_EQ(titles.size(), 1);
        const PageTitle *title = titles.constFirst();
        EXPECT_TRUE(title->isVisible());
        EXPECT_EQ(title->text(), SidebarItems::title(item)); // as the sidebar names the page
        EXPECT_GT(title->font().pointSizeF(), page->font().pointSizeF());
        EXPECT_TRUE(title->font().bold());
        const auto *below = page->findChild<QWidget *>(content.at(item));
        ASSERT_NE(below, nullptr);
        EXPECT_LE(title->mapTo(page, QPoint(0, title->height())).y(), below->mapTo(page, QPoint(0, 0)).y());
        EXPECT_LT(title->mapTo(page, QPoint(0, 0)).y(), 32);
    }

    // The receipts page's month stays in the tool bar.
    auto *receipts = qobject_cast<ReceiptsPage *>(window->currentPage());
    ASSERT_NE(receipts, nullptr);
    const auto *month = window->toolBar()->findChild<QLabel *>(QStringLiteral("monthTitle"));
    ASSERT_NE(month, nullptr);
    EXPECT_TRUE(month->isVisible());
    EXPECT_EQ(month->text(), receipts->monthTitle());
}

// A sheet asked for while the window is hidden comes once the window is on
// screen, never before it: a window manager stacks a dialog mapped before
// its parent as a window of its own, under the window it blocks.
TEST(MainWindowSheetsTest, ASheetWaitsForItsWindowToBeOnScreen)
{
    QTemporaryDir dir;
    AppModel model(Store::open(dir.filePath(QStringLiteral("sheets.store"))));
    model.setShowOnboarding(true);
    MainWindow window(model);
    window.winId();
    bool sheetBeforeWindow = false;
    QObject::connect(window.windowHandle(), &QWindow::visibleChanged, &window, [&](bool visible) {
        if (visible)
            sheetBeforeWindow = window.onboarding() != nullptr;
    });
    window.show();
    EXPECT_FALSE(sheetBeforeWindow);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.onboarding() && window.onboarding()->isVisible(); }));
    EXPECT_EQ(window.onboarding()->windowHandle()->transientParent(), window.windowHandle());
}

namespace {

// A window manager's part: it places a window once the window is mapped,
// before the window is exposed, somewhere else than the program put it.
class PlacingWindowManager : public QObject
{
public:
    PlacingWindowManager(QWidget &window, QPoint offset)
        : m_window(window)
        , m_offset(offset)
    {
        window.winId();
        window.windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !std::exchange(m_placed, true))
            m_window.move(m_window.pos() + m_offset);
        return false;
    }

private:
    QWidget &m_window;
    const QPoint m_offset;
    bool m_placed = false;
};

} // namespace

// At first start the onboarding sheet comes centred on the main window where
// the window manager placed it, as it does when "Set Up Filewright…" opens it
// later, light and dark.
TEST(MainWindowSheetsTest, TheOnboardingAtFirstStartIsCentredOnTheWindowAsLater)
{
    const struct Restore
    {
        ~Restore() { Appearance::apply(Appearance::Mode::light); }
    } restore;
    for (const Appearance::Mode mode : {Appearance::Mode::light, Appearance::Mode::dark}) {
        SCOPED_TRACE(mode == Appearance::Mode::dark ? "dark" : "light");
        Appearance::apply(mode);
        QTemporaryDir dir;
        FilewrightApp app(Store::open(dir.filePath(QStringLiteral("first.store"))), [] { return false; });
        MainWindow &window = app.mainWindow();
        app.model().setShowOnboarding(true);
        PlacingWindowManager manager(window, QPoint(137, 91));
        app.showMainWindow();
        // How far the sheet stands from its place: centred on the window, as
        // far as the screen lets it.
        const auto offPlace = [&window] {
            QDialog *sheet = nullptr;
            if (!QTest::qWaitFor([&] {
                    sheet = window.onboarding();
                    return sheet && sheet->isVisible();
                }))
                return QPoint(9999, 9999);
            const QRect screen = window.screen()->availableGeometry();
            QRect place(QPoint(), sheet->size());
            place.moveCenter(window.geometry().center());
            place.moveLeft(std::max(screen.left(), std::min(place.left(), screen.right() + 1 - place.width())));
            place.moveTop(std::max(screen.top(), std::min(place.top(), screen.bottom() + 1 - place.height())));
            return sheet->geometry().topLeft() - place.topLeft();
        };
        const QPoint first = offPlace();
        EXPECT_LE(first.manhattanLength(), 2) << first.x() << "," << first.y();

        app.model().setShowOnboarding(false);
        ASSERT_EQ(window.onboarding(), nullptr);
        app.commands().action(QStringLiteral("setUp"))->trigger();
        const QPoint later = offPlace();
        EXPECT_EQ(first, later) << later.x() << "," << later.y();
    }
}

TEST_F(MainWindowTest, SheetsFollowTheModelsFieldsAndClearThemOnClose)
{
    model->newRule();
    ASSERT_NE(window->ruleEditor(), nullptr);
    QDialog *first = window->ruleEditor();
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowModality(), Qt::WindowModal);
    // A new request opens a fresh sheet.
    model->newRule();
    EXPECT_NE(window->ruleEditor(), first);
    window->ruleEditor()->reject();
    EXPECT_FALSE(model->editing().has_value());
    EXPECT_EQ(window->ruleEditor(), nullptr);

    model->setShowPalette(true);
    ASSERT_NE(window->commandPalette(), nullptr);
    window->commandPalette()->reject();
    EXPECT_FALSE(model->showPalette());

    // Cleared elsewhere: the sheet goes.
    model->setShowOnboarding(true);
    ASSERT_NE(window->onboarding(), nullptr);
    model->setShowOnboarding(false);
    EXPECT_EQ(window->onboarding(), nullptr);

    // With no page chosen the rules page shows.
    model->setSidebar(SidebarItem::folders);
    model->setSidebar(std::nullopt);
    EXPECT_EQ(window->currentPage()->objectName(), QStringLiteral("rulesPage"));
}

// Ctrl+click on the chosen row leaves no row chosen, and the rules page
// shows. The keyboard stays on that row, its ring with it: Space chooses it
// again, and the arrows go on from it.
TEST_F(MainWindowTest, WithNoRowChosenInTheSidebarTheRulesPageShows)
{
    struct Case
    {
        const char *then;
        std::optional<Qt::Key> key;
        QString page;
    };
    const QList<Case> cases{
        {"nothing", std::nullopt, QStringLiteral("rulesPage")},
        {"Space", Qt::Key_Space, QStringLiteral("receiptsPage")},
        {"Up", Qt::Key_Up, QStringLiteral("foldersPage")},
    };
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto *sidebar = window->findChild<Sidebar *>();
    ASSERT_NE(sidebar, nullptr);
    QListWidgetItem *receipts = sidebar->item(int(SidebarItem::receipts));
    const QPoint onReceipts = sidebar->visualItemRect(receipts).center();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.then);
        QTest::mouseClick(sidebar->viewport(), Qt::LeftButton, {}, onReceipts);
        ASSERT_EQ(window->currentPage()->objectName(), QStringLiteral("receiptsPage"));
        QTest::mouseClick(sidebar->viewport(), Qt::LeftButton, Qt::ControlModifier, onReceipts);
        EXPECT_EQ(model->sidebar(), std::nullopt);
        EXPECT_TRUE(sidebar->selectedItems().isEmpty());
        EXPECT_EQ(window->currentPage()->objectName(), QStringLiteral("rulesPage"));
        EXPECT_EQ(QApplication::focusWidget(), sidebar);
        EXPECT_EQ(sidebar->currentItem(), receipts);
        if (c.key)
            QTest::keyClick(sidebar, *c.key);
        EXPECT_EQ(window->currentPage()->objectName(), c.page);
    }
}
