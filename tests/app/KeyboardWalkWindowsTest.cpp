// Tab and Shift+Tab through the sheets, the settings tabs and the tray panel,
// by real key presses: each control that acts is a stop, the stops follow
// the screen, none of them draws no focus, every focused control and list
// row shows its focus plainly, every control that its edge alone shows
// stands out from its ground, and a window that opens puts the focus where a
// stray key cannot do harm.
#include "AccentSwatch.h"
#include "Appearance.h"
#include "CommandPalette.h"
#include "ConditionRow.h"
#include "DayField.h"
#include "DescribeRuleField.h"
#include "DryRunView.h"
#include "FocusRing.h"
#include "FocusWalk.h"
#include "FolderRow.h"
#include "FormSection.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "MenuBarPanel.h"
#include "OnboardingView.h"
#include "ReviewSheet.h"
#include "RuleCard.h"
#include "RuleEditor.h"
#include "RuleEditorFixture.h"
#include "RulesPage.h"
#include "SettingsWindow.h"
#include "Sidebar.h"
#include "StarterRuleToggle.h"
#include "TestSupport.h"
#include "ThemeStore.h"
#include "ToggleSwitch.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest/QTest>

namespace {

// What the focus changes in a control's picture: the pixels that differ by
// 3:1 or more between its focused and unfocused look, and the area of the
// band within two pixels of the edge of the control as drawn unfocused (of
// its outline, or of the box round it where that is less: a label's
// letters). The control is what differs from its ground, the colour at the
// start of each line (a tool bar's shades from top to bottom), by half as
// much as its fill, the commonest other colour, does; holes in it (a white
// knob on a white card) are part of it.
struct FocusChange
{
    int strong = 0;
    int band = 0;
};

FocusChange focusChange(const QImage &unfocused, const QImage &focused)
{
    const auto difference = [&unfocused](const QColor &pixel, int y) {
        const QColor ground = unfocused.pixelColor(0, y);
        return std::abs(pixel.red() - ground.red()) + std::abs(pixel.green() - ground.green())
            + std::abs(pixel.blue() - ground.blue());
    };
    QHash<QRgb, int> counts;
    for (int y = 0; y < unfocused.height(); ++y) {
        for (int x = 0; x < unfocused.width(); ++x)
            ++counts[unfocused.pixel(x, y)];
    }
    for (int y = 0; y < unfocused.height(); ++y)
        counts.remove(unfocused.pixel(0, y));
    const auto fill = std::max_element(counts.keyValueBegin(), counts.keyValueEnd(),
                                       [](const auto &a, const auto &b) { return a.second < b.second; });
    const int least
        = fill == counts.keyValueEnd() ? 1 : std::max(1, difference(QColor::fromRgb((*fill).first), 0) / 2);
    // Each row's and column's first and last pixel of the control.
    QList<QPair<int, int>> rows(unfocused.height(), {INT_MAX, -1});
    QList<QPair<int, int>> columns(unfocused.width(), {INT_MAX, -1});
    for (int y = 0; y < unfocused.height(); ++y) {
        for (int x = 0; x < unfocused.width(); ++x) {
            if (difference(unfocused.pixelColor(x, y), y) >= least) {
                rows[y] = {std::min(rows[y].first, x), std::max(rows[y].second, x)};
                columns[x] = {std::min(columns[x].first, y), std::max(columns[x].second, y)};
            }
        }
    }
    const auto inside = [&](int x, int y) {
        return unfocused.rect().contains(x, y) && x >= rows[y].first && x <= rows[y].second && y >= columns[x].first
            && y <= columns[x].second;
    };
    FocusChange change;
    QRect box;
    int outlineBand = 0;
    for (int y = 0; y < unfocused.height(); ++y) {
        for (int x = 0; x < unfocused.width(); ++x) {
            change.strong += FocusRing::contrast(unfocused.pixelColor(x, y), focused.pixelColor(x, y)) >= 3;
            if (!inside(x, y))
                continue;
            box |= QRect(x, y, 1, 1);
            bool edge = false;
            for (int dy = -2; dy <= 2; ++dy) {
                for (int dx = -2; dx <= 2; ++dx)
                    edge = edge || (dx * dx + dy * dy <= 4 && !inside(x + dx, y + dy));
            }
            outlineBand += edge;
        }
    }
    const int boxBand = box.width() * box.height() - std::max(0, box.width() - 4) * std::max(0, box.height() - 4);
    change.band = std::min(outlineBand, boxBand);
    return change;
}

// How far a control's edge stands apart from its ground, in a picture of
// the control with its ground round it (the colour of the top left corner):
// the control is what differs from the ground; on each side, from the middle
// of its edge inwards, the stronger of the first two pixels counts, and the
// weakest side is the answer (1 where nothing differs).
double weakestEdge(const QImage &picture)
{
    const QColor ground = picture.pixelColor(0, 0);
    QRect control;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixelColor(x, y) != ground)
                control |= QRect(x, y, 1, 1);
        }
    }
    if (control.isEmpty())
        return 1;
    const auto side = [&](QPoint from, QPoint inwards) {
        return std::max(FocusRing::contrast(picture.pixelColor(from), ground),
                        FocusRing::contrast(picture.pixelColor(from + inwards), ground));
    };
    const QPoint middle = control.center();
    return std::min({side({control.left(), middle.y()}, {1, 0}), side({control.right(), middle.y()}, {-1, 0}),
                     side({middle.x(), control.top()}, {0, 1}), side({middle.x(), control.bottom()}, {0, -1})});
}

class KeyboardWalkWindowsTest : public RuleEditorFixture
{
protected:
    static bool activate(QWidget *window)
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

    // The walk, after checking that each control that acts is among its stops.
    static void expectWalk(QWidget *window, const QList<QWidget *> &regions, const QList<QWidget *> &acting,
                           const std::string &step)
    {
        const QList<QWidget *> screen = FocusWalk::onScreen(window, regions);
        for (QWidget *control : acting) {
            ASSERT_NE(control, nullptr) << step;
            EXPECT_TRUE(screen.contains(control)) << step << ": not a stop: " << FocusWalk::names({control});
        }
        FocusWalk::expectScreenOrder(window, regions, step.c_str());
    }

    // The buttons, pickers and fields shown and enabled (not the fields inside pickers).
    static QList<QWidget *> controls(const QWidget *window)
    {
        QList<QWidget *> found;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            const bool control = qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget)
                || qobject_cast<QAbstractSpinBox *>(widget)
                || (qobject_cast<QLineEdit *>(widget) && !qobject_cast<QComboBox *>(widget->parentWidget())
                    && !qobject_cast<QAbstractSpinBox *>(widget->parentWidget()));
            if (control && widget->isVisible() && widget->isEnabled())
                found.append(widget);
        }
        return found;
    }

    template<typename T> static QList<QWidget *> all(const QWidget *window, const QString &name = {})
    {
        QList<QWidget *> found;
        for (T *widget : window->findChildren<T *>(name))
            found.append(widget);
        return found;
    }

    JournalEntry filed(const QString &name, JournalEntry::Status status, int minutesAgo, bool undoable)
    {
        const QString original = dir.filePath(name);
        const QString now = dir.filePath(QStringLiteral("Filed/") + name);
        JournalEntry entry(std::nullopt, QStringLiteral("Rule"), original, now, status);
        entry.date = QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo);
        if (undoable)
            entry.setPerformed(Performed{original, now, {}, {}, std::nullopt});
        model->store().insert(entry);
        return entry;
    }
};

} // namespace

TEST_F(KeyboardWalkWindowsTest, theSheetsWalkEveryControlInScreenOrder)
{
    useModel();
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    ASSERT_TRUE(TestSupport::writeFile(downloads.displayPath + QStringLiteral("/scan.pdf"), "scan"));

    // The review sheet: the file, the values, the buttons.
    JournalEntry entry(std::nullopt, QStringLiteral("Rule"), dir.filePath(QStringLiteral("scan.pdf")), QString(),
                       JournalEntry::Status::review);
    ReviewSheet review(entry, [](const JournalEntry &, const Recognition &) {}, [](const JournalEntry &) {});
    ASSERT_TRUE(activate(&review));
    const QList<QWidget *> reviewControls = controls(&review);
    EXPECT_EQ(reviewControls.size(), 9); // Open File, five values, Skip, Cancel, File It
    expectWalk(&review, {&review}, reviewControls, "review");

    // The dry run with a row: the list, scrolled by keyboard, then "Done".
    const Rule anything = rule(QStringLiteral("All"), {condition(Field::name, Op::contains, QStringLiteral("scan"))},
                               {action(Kind::move, QStringLiteral("~/Sorted"))});
    DryRunView dryRun(model->autopilot(), DryRunRequest{QUuid::createUuid(), anything, downloads.uuid});
    ASSERT_TRUE(activate(&dryRun));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dryRun.isRunning(); }, 20000));
    ASSERT_EQ(dryRun.rows().size(), 1);
    expectWalk(&dryRun, {&dryRun},
               {dryRun.findChild<QWidget *>(QStringLiteral("rows")), dryRun.findChild<QWidget *>(QStringLiteral("done"))},
               "dry run");

    // The palette: its search is its one stop, arrows move in the list.
    CommandPalette palette(*model, {});
    ASSERT_TRUE(activate(&palette));
    expectWalk(&palette, {&palette}, {palette.searchField()}, "palette");

    // The rule editor with rows added: the walk in its own test follows the
    // rows; here every control of each row and of the form is a stop.
    RuleEditor editor(*model, AppModel::Editing{QUuid::createUuid(), anything, downloads.uuid, false});
    ASSERT_TRUE(activate(&editor));
    editor.addAction(Kind::copy);
    QWidget *form = editor.findChild<QScrollArea *>()->widget();
    const QList<QWidget *> editorControls = controls(&editor);
    EXPECT_GE(editorControls.size(), 12);
    expectWalk(&editor, {form, &editor}, editorControls, "editor");
}

TEST_F(KeyboardWalkWindowsTest, eachOnboardingStepWalksItsControlsThenTheFooter)
{
    folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Desktop"));
    OnboardingView onboarding(*model);
    ASSERT_TRUE(activate(&onboarding));
    auto *pages = onboarding.findChild<QStackedWidget *>();
    auto *back = onboarding.findChild<QPushButton *>(QStringLiteral("back"));
    auto *forward = onboarding.findChild<QPushButton *>(QStringLiteral("forward"));
    const QList<QList<QWidget *>> acting = {
        {forward},
        {onboarding.findChild<QWidget *>(QStringLiteral("downloadsRow"))->findChild<QPushButton *>(),
         onboarding.findChild<QWidget *>(QStringLiteral("desktopRow"))->findChild<QPushButton *>(), back, forward},
        all<StarterRuleToggle>(&onboarding) + QList<QWidget *>{back, forward},
        {onboarding.findChild<QWidget *>(QStringLiteral("allowNotifications")), back, forward},
    };
    EXPECT_EQ(acting.at(2).size(), 7); // five starter rules, each with its folder, Back and Continue
    for (int step = 0; step < OnboardingView::steps; ++step) {
        ASSERT_EQ(onboarding.step(), step);
        expectWalk(&onboarding, {pages, &onboarding}, acting.at(step), "step " + std::to_string(step + 1));
        if (step + 1 < OnboardingView::steps)
            forward->click();
    }
}

TEST_F(KeyboardWalkWindowsTest, eachSettingsTabWalksFromTheTabBarAndOpensWithNothingFocused)
{
    SettingsWindow settings(*model);
    ASSERT_TRUE(activate(&settings));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &settings; }));
    QTabBar *tabs = settings.tabs();
    const auto page = [&](const char *name) { return settings.findChild<QWidget *>(QString::fromLatin1(name)); };
    const QList<QList<QWidget *>> acting = {
        {tabs, page("useModel"), page("minimumWait"), page("notify"), page("launchAtLogin")},
        {tabs, page("nameLanguage"), page("dateFormat")},
        QList<QWidget *>{tabs} + all<AccentSwatch>(&settings),
    };
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        expectWalk(&settings, {tabs, &settings}, acting.at(tab), "tab " + std::to_string(tab));
        // The first Tab from the tab bar lands on the page's first control.
        tabs->setFocus(Qt::TabFocusReason);
        QTest::keyClick(tabs, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), acting.at(tab).at(1)) << tab;
    }
}

// Return on a focused button presses that button, never the sheet's
// default one: a focused Cancel files nothing, a row's remove button
// removes its row, and a button with a menu opens the menu.
TEST_F(KeyboardWalkWindowsTest, returnInASheetPressesTheFocusedButtonNotTheDefault)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Desktop"));
    const auto named = [](const QWidget &window, const QString &text) -> QPushButton * {
        for (QPushButton *button : window.findChildren<QPushButton *>()) {
            if (button->text() == text)
                return button;
        }
        return nullptr;
    };
    // The menu Return opened on a button, closed again.
    QString opened;
    QTimer menuWatch;
    menuWatch.setInterval(10);
    QObject::connect(&menuWatch, &QTimer::timeout, [&opened] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            opened = menu->actions().isEmpty() ? QString() : menu->actions().constFirst()->text();
            menu->close();
        }
    });
    menuWatch.start();
    const auto pressReturn = [](QWidget *window, QWidget *button) {
        // Once a menu the last press opened has gone.
        if (!button || !QTest::qWaitFor([] { return !QApplication::activePopupWidget(); }) || !activate(window))
            return false;
        const bool focused = QTest::qWaitFor([button] {
            button->setFocus(Qt::TabFocusReason);
            return QApplication::focusWidget() == button;
        });
        if (!focused)
            return false;
        QTest::keyClick(button, Qt::Key_Return);
        return true;
    };

    const JournalEntry entry(std::nullopt, QStringLiteral("Rule"), dir.filePath(QStringLiteral("scan.pdf")), QString(),
                             JournalEntry::Status::review);
    struct ReviewCase
    {
        const char *button;
        int filed;
        int skipped;
        QDialog::DialogCode result;
    };
    const ReviewCase reviewCases[] = {
        {"Cancel", 0, 0, QDialog::Rejected},
        {"Skip", 0, 1, QDialog::Accepted},
        {"File It", 1, 0, QDialog::Accepted},
    };
    for (const ReviewCase &c : reviewCases) {
        int filed = 0;
        int skipped = 0;
        ReviewSheet review(entry, [&filed](const JournalEntry &, const Recognition &) { ++filed; },
                           [&skipped](const JournalEntry &) { ++skipped; });
        ASSERT_TRUE(pressReturn(&review, named(review, QString::fromUtf8(c.button)))) << c.button;
        EXPECT_EQ(filed, c.filed) << c.button;
        EXPECT_EQ(skipped, c.skipped) << c.button;
        EXPECT_FALSE(review.isVisible()) << c.button;
        EXPECT_EQ(review.result(), c.result) << c.button;
    }

    const Rule pdfs = rule(QStringLiteral("PDFs"), {condition(Field::fileType, Op::is, QStringLiteral("pdf"))},
                           {action(Kind::move, QStringLiteral("~/Sorted"))});
    const auto editing = [&] { return AppModel::Editing{QUuid::createUuid(), pdfs, downloads.uuid, false}; };
    {
        RuleEditor editor(*model, editing());
        editor.addCondition(Field::name);
        ASSERT_EQ(editor.conditionRows().size(), 2);
        ASSERT_TRUE(pressReturn(&editor, editor.conditionRows().constLast()->findChild<QToolButton *>(QStringLiteral("remove"))));
        EXPECT_EQ(editor.conditionRows().size(), 1);
        EXPECT_TRUE(editor.isVisible()); // nothing saved

        ASSERT_TRUE(pressReturn(&editor, editor.findChild<QToolButton *>(QStringLiteral("addCondition"))));
        EXPECT_FALSE(opened.isEmpty()); // the list of conditions to add
        EXPECT_TRUE(editor.isVisible());

        ASSERT_TRUE(pressReturn(&editor, editor.findChild<QPushButton *>(QStringLiteral("cancel"))));
        EXPECT_FALSE(editor.isVisible());
        EXPECT_EQ(editor.result(), QDialog::Rejected);
        EXPECT_TRUE(model->store().rules().isEmpty());
    }

    OnboardingView onboarding(*model);
    ASSERT_TRUE(activate(&onboarding));
    onboarding.findChild<QPushButton *>(QStringLiteral("forward"))->click();
    ASSERT_EQ(onboarding.step(), 1);
    ASSERT_TRUE(pressReturn(&onboarding, onboarding.findChild<QPushButton *>(QStringLiteral("back"))));
    EXPECT_EQ(onboarding.step(), 0);
}

TEST_F(KeyboardWalkWindowsTest, theTrayPanelWalksTheUndoButtonsDownThenTheFooterAndOpensOnTheFooter)
{
    filed(QStringLiteral("old.pdf"), JournalEntry::Status::done, 9, true);
    filed(QStringLiteral("letter.pdf"), JournalEntry::Status::done, 5, true);
    MenuBarPanel panel(*model, [] {});
    QPushButton *toCheck = panel.findChild<QPushButton *>(QStringLiteral("toCheck"));
    QPushButton *open = panel.findChild<QPushButton *>(QStringLiteral("openMainWindow"));
    // It opens on the footer, never on an "Undo", so that a Space at once undoes nothing.
    const auto popUp = [&panel] {
        panel.hide();
        panel.popUp(QPoint(400, 300));
        const bool exposed = QTest::qWaitForWindowExposed(&panel);
        QCoreApplication::processEvents(); // a redraw queued by the store
        return exposed;
    };
    ASSERT_TRUE(popUp());
    EXPECT_EQ(QApplication::focusWidget(), open); // nothing waits
    filed(QStringLiteral("scan.pdf"), JournalEntry::Status::review, 7, false);
    ASSERT_TRUE(popUp());
    EXPECT_EQ(QApplication::focusWidget(), toCheck);
    const QList<QWidget *> undos = all<QPushButton>(&panel, QStringLiteral("undo"));
    ASSERT_EQ(undos.size(), 2);
    expectWalk(&panel, {&panel}, undos + QList<QWidget *>{toCheck, open}, "panel");

    // A new filing rebuilds the rows: the order follows, the focused Undo keeps the focus.
    undos.last()->setFocus(Qt::TabFocusReason);
    const QString focusedRow = undos.last()->parentWidget()->findChild<QWidget *>(QStringLiteral("name"))->toolTip();
    filed(QStringLiteral("new.pdf"), JournalEntry::Status::done, 1, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return all<QPushButton>(&panel, QStringLiteral("undo")).size() == 3; }));
    const QWidget *focused = QApplication::focusWidget();
    ASSERT_TRUE(focused && focused->objectName() == QStringLiteral("undo")) << FocusWalk::names({const_cast<QWidget *>(focused)});
    EXPECT_EQ(focused->parentWidget()->findChild<QWidget *>(QStringLiteral("name"))->toolTip(), focusedRow);
    expectWalk(&panel, {&panel}, {toCheck, open}, "panel after a filing");
}

TEST_F(KeyboardWalkWindowsTest, aFocusedControlStandsOutInEveryThemeLightAndDark)
{
    useModel(); // for the describe field
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    ASSERT_TRUE(TestSupport::writeFile(downloads.displayPath + QStringLiteral("/scan.pdf"), "scan"));
    folder(QStringLiteral("Desktop"));
    filed(QStringLiteral("letter.pdf"), JournalEntry::Status::done, 5, true);
    OnboardingView onboarding(*model);
    ASSERT_TRUE(activate(&onboarding));
    auto *forward = onboarding.findChild<QPushButton *>(QStringLiteral("forward"));
    forward->click();
    forward->click();
    QCoreApplication::processEvents();
    const Rule anything = rule(QStringLiteral("All"), {condition(Field::name, Op::contains, QStringLiteral("scan"))},
                               {action(Kind::move, QStringLiteral("~/Sorted"))});
    DryRunView dryRun(model->autopilot(), DryRunRequest{QUuid::createUuid(), anything, downloads.uuid});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dryRun.isRunning(); }, 20000));
    SettingsWindow settings(*model);
    settings.tabs()->setCurrentIndex(2);
    Rule active = anything;
    active.isEnabled = true;
    StoredRule stored(active, downloads.uuid, 1);
    ASSERT_TRUE(model->store().insert(stored));
    QWidget rules;
    RuleCard card(*model, stored, &rules);
    card.resize(400, card.sizeHint().height());
    JournalEntry waiting(std::nullopt, QStringLiteral("Rule"), dir.filePath(QStringLiteral("scan.pdf")), QString(),
                         JournalEntry::Status::review);
    ReviewSheet review(waiting, [](const JournalEntry &, const Recognition &) {}, [](const JournalEntry &) {});
    RuleEditor editor(*model, AppModel::Editing{QUuid::createUuid(), anything, downloads.uuid, false});
    DescribeRuleField describe(*model);
    describe.lineEdit()->setText(QStringLiteral("Invoices to Documents")); // Tab goes on to "Make Rule"
    MainWindow window(*model);
    model->setSidebar(SidebarItem::folders);
    // The journal's filter in a tool bar, as the main window shows it.
    QMainWindow journal;
    auto *journalPage = new JournalPage(*model, &journal);
    journal.setCentralWidget(journalPage);
    journal.addToolBar(QStringLiteral("bar"))->addActions(journalPage->actions());
    const auto named = [](const QWidget &window, const char *name) {
        return window.findChild<QWidget *>(QString::fromLatin1(name));
    };
    const auto cancel = [](const QWidget &window) -> QWidget * {
        for (QPushButton *button : window.findChildren<QPushButton *>()) {
            if (button->text() == QStringLiteral("Cancel"))
                return button;
        }
        return nullptr;
    };

    // The controls the program draws itself, those the style draws, and
    // the rows of lists.
    const struct
    {
        const char *kind;
        QWidget *control;
        QWidget *shows = nullptr; // what wears the ring, if not the control
    } controls[] = {
        {"prominent", forward},
        {"starterRule", onboarding.findChild<StarterRuleToggle *>()},
        {"done", named(dryRun, "done")},
        {"swatch", settings.findChild<AccentSwatch *>(QStringLiteral("teal"))},
        {"switch", named(card, "enabled")},
        {"pushButton", named(onboarding, "back")},
        {"sheetButton", cancel(review)},
        {"checkBox", named(window, "subfolders")},
        {"comboBox", named(editor, "folder")},
        {"dateBox", review.findChild<DayField *>()},
        {"textField", named(editor, "name")},
        {"describeField", describe.lineEdit(), named(describe, "describeBox")},
        {"tabBar", settings.tabs()},
        {"menuButton", named(editor, "addCondition")},
        {"toolBarButton", named(window, "addFolderTool")},
        {"journalFilter", named(journal, "all")},
        {"folderRow", window.findChild<FolderRow *>()},
        {"sidebarRow", window.findChild<Sidebar *>()},
        {"journalRow", named(journal, "journalList")},
        {"dryRunList", named(dryRun, "rows")},
    };
    const QString pictures = qEnvironmentVariable("FILEWRIGHT_TEST_PICTURES");
    // The control as its window shows it, on its grounds, with the room a
    // ring takes round it; of a list or a tab bar, the current row or tab,
    // which has its ring inside.
    const auto picture = [](QWidget *shows) {
        QRect area = shows->rect().marginsAdded(QMargins(FocusRing::room, FocusRing::room, FocusRing::room,
                                                         FocusRing::room));
        if (const auto *list = qobject_cast<QAbstractItemView *>(shows)) {
            const QRect row = list->visualRect(list->currentIndex());
            area = QRect(list->viewport()->mapTo(shows, row.topLeft()), row.size());
        } else if (const auto *tabs = qobject_cast<QTabBar *>(shows)) {
            area = tabs->tabRect(tabs->currentIndex());
        }
        return shows->window()->grab(QRect(shows->mapTo(shows->window(), area.topLeft()), area.size())).toImage();
    };
    for (const Appearance::Mode mode : {Appearance::Mode::light, Appearance::Mode::dark}) {
        Appearance::apply(mode);
        const QString modeName = mode == Appearance::Mode::dark ? QStringLiteral("dark") : QStringLiteral("light");
        for (const Theme &theme : Theme::all()) {
            ThemeStore::instance().setThemeID(theme.id);
            for (const auto &[kind, control, shows] : controls) {
                ASSERT_NE(control, nullptr) << kind;
                const std::string where
                    = std::string(kind) + ", " + theme.id.toStdString() + ", " + modeName.toStdString();
                ASSERT_TRUE(activate(control->window())) << where;
                control->setFocus(Qt::TabFocusReason);
                ASSERT_TRUE(control->hasFocus()) << where;
                const QImage focused = picture(shows ? shows : control);
                QTest::keyClick(control, Qt::Key_Tab);
                ASSERT_FALSE(control->hasFocus()) << where;
                const QImage unfocused = picture(shows ? shows : control);
                const FocusChange change = focusChange(unfocused, focused);
                EXPECT_GE(change.strong, change.band) << where << ": " << change.band << " pixels at the edge";
                if (!pictures.isEmpty()) {
                    const QString name
                        = QStringLiteral("focus-%1-%2-%3-%4.png").arg(QString::fromLatin1(kind), theme.id, modeName);
                    focused.save(QDir(pictures).filePath(name.arg(QStringLiteral("focused"))));
                    unfocused.save(QDir(pictures).filePath(name.arg(QStringLiteral("unfocused"))));
                }
            }
        }
    }
    ThemeStore::instance().setThemeID(QStringLiteral("system"));
    Appearance::apply(Appearance::Mode::light);
}

TEST_F(KeyboardWalkWindowsTest, anEnabledControlStandsOutFromItsGroundInEveryThemeLightAndDark)
{
    useModel(); // for the describe field
    folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Desktop"));
    const WatchedFolder paused = folder(QStringLiteral("Paused"));
    model->setWatching(paused, false, false);
    // Each kind of control whose edge alone shows it, straight on a page and
    // in a section.
    QWidget page;
    auto *pageLayout = new QVBoxLayout(&page);
    pageLayout->setContentsMargins(24, 24, 24, 24);
    pageLayout->setSpacing(12);
    auto *section = new FormSection(QStringLiteral("Section"), &page);
    const auto kinds = [](QWidget *parent) {
        auto *comboBox = new QComboBox(parent);
        comboBox->addItems({QStringLiteral("3 seconds"), QStringLiteral("1 minute")});
        auto *dateBox = new DayField(parent);
        dateBox->setCalendarPopup(true);
        return QList<QPair<const char *, QWidget *>>{
            {"checkBox", new QCheckBox(QStringLiteral("Subfolders"), parent)},
            {"radioButton", new QRadioButton(QStringLiteral("German"), parent)},
            {"textField", new QLineEdit(QStringLiteral("Invoices"), parent)},
            {"comboBox", comboBox},
            {"dateBox", dateBox},
            {"switch", new ToggleSwitch(parent)},
        };
    };
    const auto onPage = kinds(&page);
    const auto inSection = kinds(section);
    for (const auto &[kind, control] : onPage)
        pageLayout->addWidget(control, 0, Qt::AlignLeft);
    for (const auto &[kind, control] : inSection)
        section->addRow(QString::fromLatin1(kind), control);
    pageLayout->addWidget(section);
    // Where the program shows them: the starter rules, a folder's check box
    // and switch on the Folders page, the describe field on the Rules page.
    OnboardingView onboarding(*model);
    auto *forward = onboarding.findChild<QPushButton *>(QStringLiteral("forward"));
    forward->click();
    forward->click();
    MainWindow window(*model);
    model->setSidebar(SidebarItem::folders);
    const auto pausedRow = [&window]() -> QWidget * {
        for (FolderRow *row : window.findChildren<FolderRow *>()) {
            if (row->folder().name() == QStringLiteral("Paused"))
                return row;
        }
        return nullptr;
    };
    ASSERT_NE(pausedRow(), nullptr);
    // The main window makes the other pages anew when it shows one: the
    // Rules page stands alone.
    RulesPage rules(*model);
    rules.resize(800, 600);
    ASSERT_NE(rules.findChild<DescribeRuleField *>(), nullptr);
    ASSERT_TRUE(activate(&onboarding));
    auto *starterRule = onboarding.findChild<StarterRuleToggle *>();
    ASSERT_NE(starterRule, nullptr);
    starterRule->click(); // switched off

    // Where the edge is: a check or radio button's box, left of its text; a
    // switch's capsule inside its room for the ring; a field's frame, or the
    // box that wears a frameless field's ring.
    const auto box = [](QWidget *control) {
        if (const QWidget *wearer = FocusRing::wearer(control); wearer != control)
            return QRect(control->mapFrom(wearer, QPoint(0, 0)), wearer->size()).adjusted(-3, -3, 3, 3);
        QStyleOptionButton option;
        option.initFrom(control);
        if (auto *starter = qobject_cast<StarterRuleToggle *>(control))
            return QRect(0, 0, starter->findChild<QWidget *>(QStringLiteral("name"))->x(), starter->height());
        if (qobject_cast<QCheckBox *>(control))
            return control->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, control).adjusted(-2, -2, 2, 2);
        if (qobject_cast<QRadioButton *>(control))
            return control->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, control).adjusted(-2, -2, 2, 2);
        if (qobject_cast<ToggleSwitch *>(control))
            return control->rect();
        return control->rect().adjusted(-3, -3, 3, 3);
    };
    struct Row
    {
        std::string kind;
        QWidget *control;
    };
    const QString pictures = qEnvironmentVariable("FILEWRIGHT_TEST_PICTURES");
    QList<Row> rows;
    for (const auto &[kind, control] : onPage)
        rows.append({std::string(kind) + " on a page", control});
    for (const auto &[kind, control] : inSection)
        rows.append({std::string(kind) + " in a section", control});
    rows.append({"starterRule", starterRule});
    rows.append({"subfolders", pausedRow()->findChild<QWidget *>(QStringLiteral("subfolders"))});
    rows.append({"watch", pausedRow()->findChild<QWidget *>(QStringLiteral("watch"))});
    rows.append({"describeField", rules.findChild<DescribeRuleField *>()->lineEdit()});

    for (const Appearance::Mode mode : {Appearance::Mode::light, Appearance::Mode::dark}) {
        Appearance::apply(mode);
        const std::string modeName = mode == Appearance::Mode::dark ? "dark" : "light";
        for (const Theme &theme : Theme::all()) {
            ThemeStore::instance().setThemeID(theme.id);
            for (const Row &row : rows) {
                const std::string where = row.kind + ", " + theme.id.toStdString() + ", " + modeName;
                ASSERT_NE(row.control, nullptr) << where;
                QWidget *shown = row.control->window();
                ASSERT_TRUE(activate(shown)) << where;
                ASSERT_TRUE(row.control->isEnabled()) << where;
                ASSERT_FALSE(qobject_cast<QAbstractButton *>(row.control)
                             && qobject_cast<QAbstractButton *>(row.control)->isChecked())
                    << where;
                if (QWidget *focused = shown->focusWidget())
                    focused->clearFocus();
                const QRect area = box(row.control);
                const QImage picture
                    = shown->grab(QRect(row.control->mapTo(shown, area.topLeft()), area.size())).toImage();
                EXPECT_GE(weakestEdge(picture), 3.0) << where;
                if (!pictures.isEmpty()) {
                    QString name = QStringLiteral("edge-%1-%2-%3.png")
                                       .arg(QString::fromStdString(row.kind), theme.id, QString::fromStdString(modeName));
                    picture.save(QDir(pictures).filePath(name.replace(QLatin1Char(' '), QLatin1Char('-'))));
                }
            }
        }
    }
    ThemeStore::instance().setThemeID(QStringLiteral("system"));
    Appearance::apply(Appearance::Mode::light);
}
