// Tab and Shift+Tab through the sheets, the settings tabs and the tray panel,
// by real key presses: each control that acts is a stop, the stops follow
// the screen, none of them draws no focus, and a window that opens puts the
// focus where a stray key cannot do harm.
#include "AccentSwatch.h"
#include "CommandPalette.h"
#include "DryRunView.h"
#include "FocusWalk.h"
#include "MenuBarPanel.h"
#include "OnboardingView.h"
#include "ReviewSheet.h"
#include "RuleEditor.h"
#include "RuleEditorFixture.h"
#include "SettingsWindow.h"
#include "StarterRuleToggle.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QtTest/QTest>

namespace {

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
