#include "AppModel.h"
#include "Appearance.h"
#include "Autopilot.h"
#include "DesktopLook.h"
#include "DesktopPalettes.h"
#include "FileOperations.h"
#include "FilewrightApp.h"
#include "FocusRing.h"
#include "MainWindow.h"
#include "MenuCommands.h"
#include "MenuBarPanel.h"
#include "RealHome.h"
#include "Store.h"
#include "TestSupport.h"
#include "WindowPictures.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Puts back the program's light appearance.
struct LookRestored
{
    ~LookRestored() { Appearance::apply(Appearance::Mode::light); }
};

class MenuBarPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<AppModel>(Store::open(dir.filePath(QStringLiteral("panel.store"))));
        panel = std::make_unique<MenuBarPanel>(*model, [this] { ++opened; });
        panel->show();
    }

    JournalEntry add(const QString &name, JournalEntry::Status status, int minutesAgo, bool undoable = false)
    {
        JournalEntry entry(std::nullopt, QStringLiteral("Rule"), dir.filePath(name),
                           dir.filePath(QStringLiteral("Filed/") + name), status);
        entry.date = QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo);
        if (undoable)
            entry.setPerformed(Performed{entry.originalPath, entry.newPath, {}, {}, std::nullopt});
        model->store().insert(entry);
        return entry;
    }

    QStringList texts(const char *objectName) const
    {
        QStringList result;
        for (const QWidget *row : panel->findChildren<QWidget *>(QStringLiteral("entryRow")))
            result.append(row->findChild<QLabel *>(QString::fromLatin1(objectName))->toolTip());
        return result;
    }

    QPushButton *button(const char *name) const { return panel->findChild<QPushButton *>(QString::fromLatin1(name)); }

    void settle() { QCoreApplication::processEvents(); }

    // Opens the panel as a click on the tray icon does, the key focus in it.
    bool popUp(const QPoint &position = QPoint(400, 300))
    {
        panel->hide();
        panel->popUp(position);
        const bool exposed = QTest::qWaitForWindowExposed(panel.get());
        settle();
        return exposed;
    }

    // A key pressed on the focused control, which must be the expected one.
    void press(const QWidget *expected, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focused = QApplication::focusWidget();
        ASSERT_EQ(focused, expected) << (focused ? focused->objectName().toStdString() : "no focus");
        QTest::keyClick(focused, key, modifiers);
    }

    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<MenuBarPanel> panel;
    int opened = 0;
};

} // namespace

TEST_F(MenuBarPanelTest, AnEmptyJournalShowsTheHintAndOnlyTheOpenButton)
{
    EXPECT_TRUE(panel->findChild<QLabel *>(QStringLiteral("emptyText"))->isVisible());
    EXPECT_TRUE(texts("name").isEmpty());
    EXPECT_FALSE(button("toCheck")->isVisible());
    EXPECT_TRUE(button("openMainWindow")->isVisible());
}

TEST_F(MenuBarPanelTest, ListsTheFiveNewestAndCountsEveryEntryInReview)
{
    add(QStringLiteral("old-review-1.pdf"), JournalEntry::Status::review, 70);
    add(QStringLiteral("old-review-2.pdf"), JournalEntry::Status::review, 60);
    add(QStringLiteral("skipped.pdf"), JournalEntry::Status::skipped, 50);
    add(QStringLiteral("failed.pdf"), JournalEntry::Status::failed, 40);
    add(QStringLiteral("review.pdf"), JournalEntry::Status::review, 30);
    add(QStringLiteral("trashed.pdf"), JournalEntry::Status::trashed, 20);
    // Filed under the home folder, without a reading and without undo data.
    JournalEntry done(std::nullopt, QStringLiteral("Rule"), dir.filePath(QStringLiteral("done.pdf")),
                      RealHome::path() + QStringLiteral("/Filed/Invoice 2026.pdf"), JournalEntry::Status::done);
    model->store().insert(done);
    settle();

    EXPECT_EQ(texts("name"), (QStringList{QStringLiteral("Invoice 2026.pdf"), QStringLiteral("trashed.pdf"),
                                          QStringLiteral("review.pdf"), QStringLiteral("failed.pdf"),
                                          QStringLiteral("skipped.pdf")}));
    EXPECT_EQ(texts("detail"),
              (QStringList{QStringLiteral("~/Filed"), QStringLiteral("In the Trash"), QStringLiteral("Please check"),
                           QStringLiteral("Not done"), QStringLiteral("Skipped")}));
    // No row has undo data, so no row offers Undo.
    EXPECT_TRUE(panel->findChildren<QPushButton *>(QStringLiteral("undo")).isEmpty());
    EXPECT_TRUE(button("toCheck")->isVisible());
    EXPECT_EQ(button("toCheck")->text(), QStringLiteral("3 to Check"));
}

TEST_F(MenuBarPanelTest, ReturnAndEnterPressTheFocusedButtonWhichOpensTheJournalWithItsFilter)
{
    // Nothing waits: the panel opens on "Open Filewright", and Return presses it.
    ASSERT_TRUE(popUp());
    press(button("openMainWindow"), Qt::Key_Return);
    EXPECT_EQ(model->sidebar(), SidebarItem::journal);
    EXPECT_EQ(model->journalFilter(), AppModel::JournalFilter::all);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(panel->isVisible());

    add(QStringLiteral("review.pdf"), JournalEntry::Status::review, 1);
    ASSERT_TRUE(popUp());
    press(button("toCheck"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(model->journalFilter(), AppModel::JournalFilter::review);
    EXPECT_EQ(opened, 2);

    // Open Filewright always comes back to every entry.
    ASSERT_TRUE(popUp());
    press(button("toCheck"), Qt::Key_Tab);
    press(button("openMainWindow"), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(model->journalFilter(), AppModel::JournalFilter::all);
    EXPECT_EQ(opened, 3);
}

// Rows added while the panel is open grow it downwards; wherever it popped
// up, it stays whole inside the screen's free area, and only moves when it must.
TEST_F(MenuBarPanelTest, TheOpenPanelStaysOnTheScreenWhileRowsAreAdded)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint anchors[] = {QPoint(area.center().x(), area.top() + 20), QPoint(area.center().x(), area.bottom()),
                              area.bottomRight()};
    for (const QPoint &anchor : anchors) {
        SCOPED_TRACE(testing::Message() << "popped up at " << anchor.x() << "," << anchor.y());
        for (const JournalEntry &entry : model->store().journal())
            model->store().remove(entry);
        ASSERT_TRUE(popUp(anchor));
        const QRect before = panel->frameGeometry();
        for (int i = 0; i < 6; ++i) {
            add(QStringLiteral("filed-%1.pdf").arg(i), JournalEntry::Status::done, 6 - i, true);
            settle();
        }
        ASSERT_EQ(texts("name").size(), MenuBarPanel::recentCount);
        const QRect after = panel->frameGeometry();
        EXPECT_GT(after.height(), before.height());
        EXPECT_TRUE(area.contains(after)) << after.top() << ".." << after.bottom();
        if (anchor.y() < area.center().y()) {
            EXPECT_EQ(after.topLeft(), before.topLeft());
        }
    }
}

TEST_F(MenuBarPanelTest, UndoPutsTheRealFileBackAndTheRowFollows)
{
    const QString original = dir.filePath(QStringLiteral("receipt.pdf"));
    const QString filed = dir.filePath(QStringLiteral("Receipts/receipt.pdf"));
    ASSERT_TRUE(TestSupport::writeFile(filed, "receipt"));
    JournalEntry entry(std::nullopt, QStringLiteral("Receipts"), original, filed, JournalEntry::Status::done);
    entry.setPerformed(Performed{original, filed, {}, {}, std::nullopt});
    model->store().insert(entry);
    settle();

    // Up from the footer to the row's Undo, and Return presses it.
    ASSERT_TRUE(popUp());
    QPushButton *undo = panel->findChild<QPushButton *>(QStringLiteral("undo"));
    ASSERT_NE(undo, nullptr);
    press(button("openMainWindow"), Qt::Key_Backtab, Qt::ShiftModifier);
    press(undo, Qt::Key_Return);
    // The file moves back off the main thread.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model->autopilot().isDeciding(entry.id); }));
    settle();
    EXPECT_TRUE(QFileInfo::exists(original));
    EXPECT_FALSE(QFileInfo::exists(filed));
    EXPECT_EQ(texts("detail"), QStringList{QStringLiteral("Undone")});
    EXPECT_EQ(texts("name"), QStringList{QStringLiteral("receipt.pdf")});
    EXPECT_TRUE(panel->findChildren<QPushButton *>(QStringLiteral("undo")).isEmpty());
    // The focus stays on the undone row: the next Space opens nothing.
    QWidget *focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(FocusRing::wearer(focused), panel->findChild<QWidget *>(QStringLiteral("entryRow")));
    QTest::keyClick(focused, Qt::Key_Space);
    QTest::keyClick(focused, Qt::Key_Space);
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(MenuBarPanelTest, ItsPictureShowsThePanelInLightAndDark)
{
    add(QStringLiteral("Invoice 2026-10.pdf"), JournalEntry::Status::done, 5);
    add(QStringLiteral("scan.pdf"), JournalEntry::Status::review, 2);
    panel->popUp(QPoint(400, 300));
    settle();
    WindowPictures::expectLightAndDark(*panel, QStringLiteral("panel"));
}

// The panel's edge stands 3:1 apart from what it opens over, the window and
// the lists in it, on desktops' light and dark palettes, under Fusion and a
// desktop's style.
TEST_F(MenuBarPanelTest, ItsEdgeStandsApartFromTheWindowItOpensOver)
{
    add(QStringLiteral("Invoice 2026-10.pdf"), JournalEntry::Status::done, 5, true);
    add(QStringLiteral("scan.pdf"), JournalEntry::Status::review, 2);
    const LookRestored restored;
    for (const QString &style : {QStringLiteral("Fusion"), QStringLiteral("Adwaita-Dark")}) {
        const DesktopLook look(style, QApplication::font().pointSizeF());
        ASSERT_TRUE(look.isAvailable()) << style.toStdString();
        for (const DesktopPalette &desktop : desktopPalettes()) {
            SCOPED_TRACE(style.toStdString() + ", " + desktop.name);
            QApplication::setPalette(desktop.palette);
            ASSERT_TRUE(popUp());
            const QImage picture = panel->grab().toImage();
            for (const QPalette::ColorRole ground : {QPalette::Window, QPalette::Base}) {
                const QColor behind = QApplication::palette().color(ground);
                double weakest = 21;
                for (int y = 0; y < picture.height(); ++y) {
                    for (int x = 0; x < picture.width(); ++x) {
                        if (x == 0 || y == 0 || x == picture.width() - 1 || y == picture.height() - 1)
                            weakest = std::min(weakest, FocusRing::contrast(picture.pixelColor(x, y), behind));
                    }
                }
                EXPECT_GE(weakest, 3.0) << "against " << behind.name().toStdString();
            }
        }
    }
}

// Opened from the Go menu, the panel comes by the main window, under its
// tool bar and centred on it, wherever the pointer rests; the tray icon's
// click opens it under the pointer. Light and dark.
TEST(MenuBarPanelPlaceTest, FromTheGoMenuByTheWindowFromTheTrayUnderThePointer)
{
    const LookRestored restored;
    for (const Appearance::Mode mode : {Appearance::Mode::light, Appearance::Mode::dark}) {
        SCOPED_TRACE(mode == Appearance::Mode::dark ? "dark" : "light");
        Appearance::apply(mode);
        QTemporaryDir dir;
        FilewrightApp app(Store::open(dir.filePath(QStringLiteral("place.store"))), [] { return true; });
        MainWindow &window = app.mainWindow();
        app.showMainWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        // The window's middle on the screen, which is narrower than the window.
        const QRect screen = window.screen()->availableGeometry();
        window.move(screen.center().x() - window.width() / 2, screen.top() + 10);
        QCoreApplication::processEvents();
        const QWidget *bar = window.toolBar();
        ASSERT_TRUE(bar->isVisible());
        MenuBarPanel &panel = app.panel();

        // The pointer at the screen's far corner.
        QCursor::setPos(screen.bottomRight() - QPoint(2, 2));
        app.commands().action(QStringLiteral("showPanel"))->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        // (A frame the platform may give the panel aside.)
        const QRect byWindow = panel.frameGeometry();
        EXPECT_LE(std::abs(byWindow.top() - bar->mapToGlobal(QPoint(0, bar->height())).y()), 2);
        EXPECT_LE(std::abs(byWindow.center().x() - window.geometry().center().x()), 2);
        EXPECT_TRUE(window.frameGeometry().contains(byWindow));
        panel.hide();

        // The tray's click, with the pointer on the icon.
        const QPoint pointer(screen.left() + 250, screen.top() + 40);
        QCursor::setPos(pointer);
        app.showPanel();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
        EXPECT_LE(std::abs(panel.frameGeometry().top() - pointer.y()), 2);
        EXPECT_LE(std::abs(panel.frameGeometry().center().x() - pointer.x()), 2);
        panel.hide();
    }
}
