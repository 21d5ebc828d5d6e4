// The rule editor: rows added, removed and moved in the editor's own copy
// with Tab following them, the sentence following every edit, Save and
// Cancel, drafts, the folder picker, the model's state; the dry-run sheet
// over a real folder; and bad input that must stay inside the rule's target
// folder.
#include "ActionRow.h"
#include "ConditionRow.h"
#include "DryRunView.h"
#include "DryRunRowView.h"
#include "FocusWalk.h"
#include "ModelStatusText.h"
#include "RuleEditor.h"
#include "RuleEditorFixture.h"
#include "RuleRow.h"
#include "TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest/QTest>

#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <functional>

namespace {

QPushButton *button(RuleEditor &editor, const char *name)
{
    return editor.findChild<QPushButton *>(QLatin1String(name));
}

// Every path below a folder.
QStringList tree(const QString &folder)
{
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(it.next());
    paths.sort();
    return paths;
}

// Turns the mouse wheel by clicks (up when positive) with the pointer resting
// at the middle of a widget, as the desktop hands a wheel to its window.
void turnWheel(QWidget *over, int clicks)
{
    QWidget *window = over->window();
    const QPoint at = over->mapTo(window, over->rect().center());
    for (int i = 0; i < std::abs(clicks); ++i) {
        QWindowSystemInterface::handleWheelEvent(window->windowHandle(), at, window->mapToGlobal(at), QPoint(),
                                                 QPoint(0, clicks > 0 ? 120 : -120));
        QWindowSystemInterface::flushWindowSystemEvents();
    }
}

} // namespace

using RuleEditorTest = RuleEditorFixture;

TEST_F(RuleEditorTest, editsItsOwnCopyWithTheSentenceFollowingAndCancelChangesNothing)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    const Rule original = rule(QStringLiteral("PDFs"), {condition(Field::fileType, Op::is, QStringLiteral("pdf"))},
                               {action(Kind::move, QStringLiteral("~/Documents"))});
    model->save(AppModel::Editing{QUuid::createUuid(), original, downloads.uuid, false});
    model->edit(*model->store().rule(original.id));
    const QByteArray before = model->store().rule(original.id)->payload;

    {
        RuleEditor editor(*model, *model->editing());
        EXPECT_EQ(editor.sentence(), model->sentence(original, downloads.uuid));
        EXPECT_TRUE(editor.sentence().contains(QLatin1String("Downloads")));
        editor.addCondition(Field::name);
        editor.addAction(Kind::tag);
        editor.addAction(Kind::trashAfter);
        ASSERT_EQ(editor.conditionRows().size(), 2);
        EXPECT_EQ(editor.editing().rule.conditions.last().op, Op::contains);
        EXPECT_EQ(editor.editing().rule.actions.at(1).value, QStringLiteral("Filewright"));
        EXPECT_EQ(editor.editing().rule.actions.at(2).value, QStringLiteral("7"));

        // The last action moves up twice (the second time by its shortcut), the first then down.
        const QUuid trash = editor.editing().rule.actions.at(2).id;
        editor.moveItem(trash, -1);
        editor.show();
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        ActionRow *trashRow = editor.actionRows().at(1);
        trashRow->findChild<QLineEdit *>()->setFocus();
        QTest::keyClick(trashRow->findChild<QLineEdit *>(), Qt::Key_Up, Qt::AltModifier);
        EXPECT_EQ(editor.editing().rule.actions.at(0).id, trash);
        EXPECT_EQ(editor.actionRows().at(0)->action().id, trash);
        editor.moveItem(trash, -1); // already first: nothing
        EXPECT_EQ(editor.editing().rule.actions.at(0).id, trash);

        // Typing the name and a value: the sentence follows each keystroke, in English and German.
        QTest::keyClick(editor.findChild<QLineEdit *>(QStringLiteral("name")), Qt::Key_End);
        QTest::keyClicks(editor.findChild<QLineEdit *>(QStringLiteral("name")), QStringLiteral(" 2"));
        QTest::keyClicks(editor.conditionRows().at(1)->findChild<QLineEdit *>(QStringLiteral("value")),
                         QStringLiteral("scan"));
        EXPECT_EQ(editor.editing().rule.name, QStringLiteral("PDFs 2"));
        EXPECT_TRUE(editor.sentence().contains(QLatin1String("scan"))) << editor.sentence().toStdString();
        EXPECT_EQ(editor.sentence(), model->sentence(editor.editing().rule, downloads.uuid));
        const QString english = editor.sentence();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        editor.conditionRows().at(1)->findChild<QLineEdit *>(QStringLiteral("value"))->setFocus();
        QTest::keyClick(editor.conditionRows().at(1)->findChild<QLineEdit *>(QStringLiteral("value")), Qt::Key_S);
        QLocale::setDefault(QLocale::c());
        EXPECT_TRUE(editor.sentence().contains(QLatin1String("scans")));
        EXPECT_NE(editor.sentence().left(10), english.left(10)) << editor.sentence().toStdString();

        // Removing through the row's button removes exactly that condition.
        editor.conditionRows().at(0)->removeButton()->click();
        ASSERT_EQ(editor.editing().rule.conditions.size(), 1);
        EXPECT_EQ(editor.editing().rule.conditions.at(0).field, Field::name);
        EXPECT_EQ(editor.conditionRows().size(), 1);

        button(editor, "cancel")->click();
        EXPECT_EQ(editor.result(), QDialog::Rejected);
    }
    EXPECT_EQ(model->store().rule(original.id)->payload, before);

    RuleEditor again(*model, *model->editing());
    again.addAction(Kind::copy);
    button(again, "save")->click();
    const Rule saved = model->store().rule(original.id)->rule();
    EXPECT_EQ(saved.actions.size(), 2);
    EXPECT_FALSE(saved.isEnabled); // a saved rule keeps its state
    EXPECT_EQ(model->store().rules().size(), 1);
}

TEST_F(RuleEditorTest, aNameLongerThanItsFieldShowsItsStart)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    const QString name = QStringLiteral("Rechnungen der Stadtwerke und aller anderen Versorger, nach Jahr und "
                                        "Monat abgelegt, mit Kopie ins Archiv");
    const Rule named = rule(name, {condition(Field::fileType, Op::is, QStringLiteral("pdf"))},
                            {action(Kind::move, QStringLiteral("~/Documents"))});
    model->save(AppModel::Editing{QUuid::createUuid(), named, downloads.uuid, false});
    model->edit(*model->store().rule(named.id));
    RuleEditor editor(*model, *model->editing());
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    auto *field = editor.findChild<QLineEdit *>(QStringLiteral("name"));
    ASSERT_GT(field->fontMetrics().horizontalAdvance(name), field->width());
    field->repaint();
    // The first character stands at the field's left edge.
    EXPECT_EQ(field->cursorPositionAt(QPoint(field->contentsRect().left() + 4, field->height() / 2)), 0);
    EXPECT_EQ(field->text(), name);
}

TEST_F(RuleEditorTest, tabFollowsTheRowsOnScreenWhenTheyAreAddedRemovedAndMoved)
{
    useModel(); // the kind picker is in reach
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    const Rule original = rule(QStringLiteral("Scans"), {condition(Field::name, Op::contains, QStringLiteral("scan"))},
                               {action(Kind::move, QStringLiteral("~/Documents"))});
    RuleEditor editor(*model, AppModel::Editing{QUuid::createUuid(), original, downloads.uuid, false});
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));

    // The form from top to bottom, each line from left to right, then the bar below it.
    const auto expectScreenOrder = [&editor](const char *step) {
        QWidget *form = editor.findChild<QScrollArea *>()->widget();
        const QList<QWidget *> screen = FocusWalk::onScreen(&editor, {form, &editor});
        ASSERT_EQ(editor.conditionRows().size() + editor.actionRows().size(),
                  std::count_if(screen.begin(), screen.end(), [](QWidget *w) { return w->objectName() == "remove"; }))
            << step; // every row is on screen
        FocusWalk::expectScreenOrder(&editor, {form, &editor}, step);
    };
    const auto entry = [](QMenu *menu, int data) {
        const QList<QAction *> entries = menu->actions();
        return *std::find_if(entries.begin(), entries.end(), [data](QAction *a) { return a->data().toInt() == data; });
    };

    expectScreenOrder("as opened");
    // The new action row comes between the last action and Add Action, not after Save.
    entry(editor.addActionMenu(), static_cast<int>(Kind::copy))->trigger();
    expectScreenOrder("action added");
    QWidget *addAction = editor.findChild<QWidget *>(QStringLiteral("addAction"));
    addAction->setFocus(Qt::TabFocusReason);
    QTest::keyClick(addAction, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), editor.actionRows().at(1)->removeButton());

    // A condition whose picker is made when the row is.
    entry(editor.addConditionMenu(), static_cast<int>(Field::fileType))->trigger();
    expectScreenOrder("condition added");

    // The new action moves up by its shortcut and keeps the focus where it was typed in.
    auto *copyValue = editor.actionRows().at(1)->findChild<QLineEdit *>(QStringLiteral("value"));
    copyValue->setFocus(Qt::TabFocusReason);
    QTest::keyClick(copyValue, Qt::Key_Up, Qt::AltModifier);
    ASSERT_EQ(editor.actionRows().at(0)->action().kind, Kind::copy);
    EXPECT_EQ(QApplication::focusWidget(), copyValue);
    expectScreenOrder("action moved up");
    editor.moveItem(editor.editing().rule.conditions.at(0).id, 1);
    expectScreenOrder("condition moved down");

    editor.conditionRows().at(0)->removeButton()->click();
    ASSERT_EQ(editor.conditionRows().size(), 1);
    expectScreenOrder("condition removed");
    editor.actionRows().at(0)->removeButton()->click();
    expectScreenOrder("action removed");

    // A field whose value editor is made when it is first chosen.
    auto *field = editor.conditionRows().at(0)->findChild<QComboBox *>(QStringLiteral("field"));
    field->setCurrentIndex(field->findData(static_cast<int>(Field::size)));
    entry(editor.addConditionMenu(), static_cast<int>(Field::name))->trigger();
    editor.conditionRows().at(1)->findChild<QComboBox *>(QStringLiteral("field"))->setCurrentIndex(
        field->findData(static_cast<int>(Field::kind)));
    expectScreenOrder("kind chosen");
}

// Alt+Down on a drop-down of a row opens its list, as on every other
// drop-down, and leaves the row and its value; Alt+Up closes the open list,
// and on the closed drop-down moves the row up without stepping the
// drop-down. Everywhere else in a row both keys move it.
TEST_F(RuleEditorTest, altDownOpensARowsDropDownAndAltUpMovesTheRow)
{
    useModel(); // the kind menu is in reach
    const Rule original = rule(QStringLiteral("Keys"),
                               {condition(Field::name, Op::contains, QStringLiteral("scan")),
                                condition(Field::fileType, Op::isNot, QStringLiteral("image")),
                                condition(Field::kind, Op::is, QStringLiteral("invoice"))},
                               {action(Kind::move, QStringLiteral("~/Documents")),
                                action(Kind::openWith, QStringLiteral("Preview")),
                                action(Kind::tag, QStringLiteral("a"))});
    RuleEditor editor(*model, AppModel::Editing{QUuid::createUuid(), original, std::nullopt, false});
    editor.show();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));

    const auto conditions = [&] { return editor.editing().rule.conditions; };
    const auto actions = [&] { return editor.editing().rule.actions; };
    const auto rowOf = [&](const QUuid &id) -> RuleRow * {
        for (RuleRow *row : editor.conditionRows()) {
            if (row->itemID() == id)
                return row;
        }
        for (RuleRow *row : editor.actionRows()) {
            if (row->itemID() == id)
                return row;
        }
        return nullptr;
    };
    // The place of the item in its list.
    const auto placeOf = [&](const QUuid &id) {
        for (qsizetype i = 0; i < conditions().size(); ++i) {
            if (conditions().at(i).id == id)
                return i;
        }
        for (qsizetype i = 0; i < actions().size(); ++i) {
            if (actions().at(i).id == id)
                return i;
        }
        return qsizetype(-1);
    };

    const auto sorted = [](auto items) {
        const auto byID = [](const auto &a, const auto &b) { return a.id < b.id; };
        std::sort(items.first.begin(), items.first.end(), byID);
        std::sort(items.second.begin(), items.second.end(), byID);
        return items;
    };

    struct Case
    {
        QUuid item; // the row's condition or action, second in its list
        const char *control;
        bool opens;
    };
    const QUuid name = original.conditions.at(0).id;
    const QUuid fileType = original.conditions.at(1).id;
    const QUuid kind = original.conditions.at(2).id;
    const QUuid openWith = original.actions.at(1).id;
    const Case cases[] = {
        {fileType, "field", true},
        {fileType, "operator", true},
        {fileType, "fileType", true},
        {openWith, "kind", true},
        {name, "value", false},
        {fileType, "remove", false},
        {kind, "kind", false}, // the menu of kinds
        {openWith, "value", false},
        {openWith, "application", false},
    };
    for (const Case &c : cases) {
        const std::string step = std::string(c.control) + (c.opens ? " (drop-down)" : "");
        // The row goes second, so that it can move both ways.
        editor.moveItem(c.item, int(1 - placeOf(c.item)));
        ASSERT_EQ(placeOf(c.item), 1) << step;
        RuleRow *row = rowOf(c.item);
        auto *control = row->findChild<QWidget *>(QLatin1String(c.control), Qt::FindDirectChildrenOnly);
        ASSERT_NE(control, nullptr) << step;
        ASSERT_TRUE(control->isVisible()) << step;
        control->setFocus(Qt::TabFocusReason);
        const auto before = std::pair{conditions(), actions()};
        auto *dropDown = qobject_cast<QComboBox *>(control);
        ASSERT_EQ(dropDown != nullptr, c.opens) << step;
        const int chosen = dropDown ? dropDown->currentIndex() : -1;

        QTest::keyClick(control, Qt::Key_Down, Qt::AltModifier);
        if (c.opens) {
            EXPECT_TRUE(dropDown->view()->isVisible()) << step << ": the list is not open";
            EXPECT_EQ(std::pair(conditions(), actions()), before) << step;
            EXPECT_EQ(dropDown->currentIndex(), chosen) << step;
            // Alt+Up, where the open list has the keys, closes it.
            QTest::keyClick(dropDown->view(), Qt::Key_Up, Qt::AltModifier);
            EXPECT_FALSE(dropDown->view()->isVisible()) << step;
            EXPECT_EQ(dropDown->currentIndex(), chosen) << step;
            EXPECT_EQ(std::pair(conditions(), actions()), before) << step;
            EXPECT_EQ(QApplication::focusWidget(), control) << step;
        } else {
            EXPECT_EQ(placeOf(c.item), 2) << step;
        }

        QTest::keyClick(control, Qt::Key_Up, Qt::AltModifier);
        EXPECT_EQ(placeOf(c.item), c.opens ? 0 : 1) << step;
        EXPECT_EQ(QApplication::focusWidget(), control) << step;
        if (dropDown) {
            EXPECT_EQ(dropDown->currentIndex(), chosen) << step;
        }
        // Every item is as it was, wherever it stands.
        EXPECT_EQ(sorted(std::pair(conditions(), actions())), sorted(before)) << step;
    }
}

TEST_F(RuleEditorTest, enablingRulesFolderPickerDraftsAndTheModelsState)
{
    const WatchedFolder older = folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Places"), false);
    const WatchedFolder newer = folder(QStringLiteral("Desktop"));
    Rule draft = rule(QStringLiteral("New Rule"), {condition(Field::kind, Op::is, QStringLiteral("invoice"))},
                      {action(Kind::move, QStringLiteral("~/Documents"))});
    draft.createdFromPrompt = QStringLiteral("invoices to documents");

    RuleEditor editor(*model, AppModel::Editing{QUuid::createUuid(), draft, older.uuid, true});
    EXPECT_EQ(button(editor, "save")->text(), QStringLiteral("Accept Rule"));
    EXPECT_EQ(editor.findChild<QLabel *>(QStringLiteral("prompt"))->text(), QStringLiteral("\u201Cinvoices to documents\u201D"));
    auto *folders = editor.findChild<QComboBox *>(QStringLiteral("folder"));
    ASSERT_EQ(folders->count(), 3);
    EXPECT_EQ(folders->itemText(0), QStringLiteral("Choose a folder"));
    EXPECT_EQ(folders->itemText(1), QStringLiteral("~/Downloads"));
    EXPECT_EQ(folders->itemData(2).toUuid(), newer.uuid);

    // The model is off: its fields cannot be added, the explanation shows, the kind row stays removable.
    for (QAction *entry : editor.addConditionMenu()->actions())
        EXPECT_EQ(entry->isEnabled(), !Condition::needsRecognition(static_cast<Field>(entry->data().toInt())));
    auto *status = editor.findChild<QLabel *>(QStringLiteral("modelStatus"));
    EXPECT_EQ(status->text(), ModelStatusText::text(model->autopilot().modelStatus()));
    EXPECT_TRUE(editor.conditionRows().at(0)->removeButton()->isEnabled());

    for (const QString &blank : {QStringLiteral("   "), QStringLiteral("\t"), QStringLiteral("\u2003")}) {
        editor.findChild<QLineEdit *>(QStringLiteral("name"))->setText(blank);
        Q_EMIT editor.findChild<QLineEdit *>(QStringLiteral("name"))->textEdited(blank);
        EXPECT_FALSE(button(editor, "save")->isEnabled());
    }
    QTest::keyClicks(editor.findChild<QLineEdit *>(QStringLiteral("name")), QStringLiteral("a"));
    EXPECT_TRUE(button(editor, "save")->isEnabled());
    editor.removeItem(editor.editing().rule.actions.at(0).id);
    EXPECT_FALSE(button(editor, "save")->isEnabled());
    EXPECT_TRUE(button(editor, "dryRun")->isEnabled());
    editor.addAction(Kind::move);
    editor.removeItem(editor.editing().rule.conditions.at(0).id);
    EXPECT_FALSE(button(editor, "save")->isEnabled());
    EXPECT_FALSE(button(editor, "dryRun")->isEnabled());
    editor.addCondition(Field::size);
    EXPECT_EQ(editor.editing().rule.conditions.at(0).value, QStringLiteral("10"));

    folders->setCurrentIndex(0);
    EXPECT_FALSE(button(editor, "dryRun")->isEnabled());
    EXPECT_EQ(editor.sentence(), model->sentence(editor.editing().rule, std::nullopt));
    editor.show();
    QTest::keyClick(editor.findChild<QLineEdit *>(QStringLiteral("name")), Qt::Key_Return);
    const std::optional<StoredRule> stored = model->store().rule(draft.id);
    ASSERT_TRUE(stored);
    EXPECT_FALSE(stored->folderID);
    EXPECT_TRUE(stored->rule().isEnabled); // an accepted draft is switched on

    // A folder that is gone shows as no choice and is kept until another is picked.
    const QUuid gone = QUuid::createUuid();
    RuleEditor stale(*model, AppModel::Editing{QUuid::createUuid(), draft, gone, false});
    EXPECT_EQ(stale.findChild<QComboBox *>(QStringLiteral("folder"))->currentIndex(), 0);
    stale.save();
    EXPECT_EQ(model->store().rule(draft.id)->folderID, gone);
}

TEST_F(RuleEditorTest, dryRunFillsRowsFromTheAutopilotAndStopsWhenTheSheetCloses)
{
    WatchedFolder inbox = folder(QStringLiteral("Inbox"));
    for (int i = 0; i < 6; ++i)
        TestSupport::writeFile(inbox.displayPath + QStringLiteral("/invoice%1.txt").arg(i),
                               "Invoice 2026-03-0" + QByteArray::number(i + 1) + "\nACME GmbH\nTotal 12,50 EUR\n");
    const QStringList before = tree(RealHome::path());
    // Reading the kind needs recognition: rows start as "Reading…" and fill one by one.
    const Rule invoices = rule(QStringLiteral("Invoices"), {condition(Field::name, Op::endsWith, QStringLiteral(".txt"))},
                               {action(Kind::move, QStringLiteral("~/Belege/{absender}")), action(Kind::tag, QStringLiteral("a,b"))});
    RuleEditor editor(*model, AppModel::Editing{QUuid::createUuid(), invoices, inbox.uuid, true});
    editor.show();
    button(editor, "dryRun")->click();
    DryRunView *view = editor.dryRunView();
    ASSERT_TRUE(view);
    ASSERT_EQ(view->rows().size(), 6);
    EXPECT_TRUE(view->rows().at(0).reading);
    EXPECT_EQ(view->findChild<DryRunRowView *>()->stateText(), QStringLiteral("Reading…"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isRunning(); }, 20000));
    const DryRunRow &row = view->rows().at(0);
    ASSERT_TRUE(row.plan && row.recognition);
    const QString described = DryRunView::describe(*row.plan);
    EXPECT_TRUE(described.startsWith(QLatin1String("~/Belege/"))) << described.toStdString();
    EXPECT_TRUE(described.endsWith(QStringLiteral(".txt \u00B7 Tags: a, b"))) << described.toStdString();
    EXPECT_EQ(view->findChild<QLabel *>(QStringLiteral("matches"))->text(), QStringLiteral("6 of 6 files match."));
    view->accept();
    EXPECT_EQ(tree(RealHome::path()), before);

    // Closed at once: the run stops before the next file (new contents, so none is known yet).
    for (int i = 0; i < 6; ++i)
        TestSupport::writeFile(inbox.displayPath + QStringLiteral("/invoice%1.txt").arg(i), "Invoice B" + QByteArray::number(i));
    editor.openDryRun();
    view = editor.dryRunView();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->isRunning());
    view->reject();
    QPointer<DryRunView> closing(view);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !closing || !closing->isRunning(); }, 20000));
    if (closing) {
        EXPECT_TRUE(closing->rows().constLast().reading);
    }

    // No folder, a folder that cannot be opened, an empty folder: three different answers.
    struct Case { std::optional<QUuid> folderID; DryRunView::Empty empty; };
    WatchedFolder gone = folder(QStringLiteral("Gone"));
    QDir(gone.displayPath).removeRecursively();
    const Case cases[] = {{std::nullopt, DryRunView::Empty::noFolder},
                          {gone.uuid, DryRunView::Empty::unreachable},
                          {folder(QStringLiteral("Empty")).uuid, DryRunView::Empty::noFiles}};
    for (const Case &c : cases) {
        DryRunView empty(model->autopilot(), DryRunRequest{QUuid::createUuid(), invoices, c.folderID});
        empty.show();
        EXPECT_EQ(empty.empty(), c.empty);
        EXPECT_EQ(empty.findChild<QLabel *>(QStringLiteral("matches"))->text(), QStringLiteral("0 of 0 files match."));
    }
}

TEST_F(RuleEditorTest, badInputGivesItsDocumentedResultAndStaysInsideTheTarget)
{
    WatchedFolder inbox = folder(QStringLiteral("Inbox"));
    const WatchedFolder sorted = folder(QStringLiteral("Sorted"), false);
    const QString file = inbox.displayPath + QStringLiteral("/scan.pdf");
    TestSupport::writeFile(file, "%PDF-1.4 scan");
    const QString longName(5000, u'x');
    Rule bad = rule(longName, {condition(Field::name, Op::contains, QStringLiteral("scan")),
                               condition(Field::age, Op::lessThan, QStringLiteral("99999999999999999999"))},
                    {action(Kind::move, QStringLiteral("~/Sorted/../../outside")), action(Kind::rename, QStringLiteral("../../{original}")),
                     action(Kind::trashAfter, QStringLiteral("-7")), action(Kind::openWith, QStringLiteral("NoSuchApp"))});
    bad.isEnabled = true;

    RuleEditor editor(*model, AppModel::Editing{QUuid::createUuid(), bad, inbox.uuid, true});
    editor.save();
    const StoredRule stored = *model->store().rule(bad.id);
    EXPECT_EQ(stored.rule().name.size(), 5000);

    const QStringList before = tree(RealHome::path());
    DryRunView view(model->autopilot(), DryRunRequest{QUuid::createUuid(), stored.rule(), inbox.uuid});
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isRunning(); }, 20000));
    EXPECT_EQ(tree(RealHome::path()), before);
    for (const DryRunRow &row : view.rows()) {
        if (!row.plan)
            continue;
        EXPECT_FALSE(row.plan->trashAfterDays); // a negative count means none
        EXPECT_EQ(row.plan->openWith, QStringLiteral("NoSuchApp"));
        EXPECT_TRUE(row.plan->destination.startsWith(sorted.displayPath + QLatin1Char('/')))
            << row.plan->destination.toStdString();
    }

    // Filed for real: the file lands in the target or stays where it is, and nothing appears outside.
    std::optional<bool> made;
    model->autopilot().handle(file, inbox, true, [&made](bool entry) { made = entry; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return made.has_value(); }, 20000));
    const auto outsideTarget = [&](QStringList paths) {
        paths.removeIf([&](const QString &path) { return path.startsWith(sorted.displayPath) || path == file; });
        return paths;
    };
    EXPECT_EQ(outsideTarget(tree(RealHome::path())), outsideTarget(before));
    const QDir home(RealHome::path());
    for (const QString &outside : {QStringLiteral("../outside"), QStringLiteral("../../outside"), QStringLiteral("outside")})
        EXPECT_FALSE(QFileInfo::exists(home.filePath(outside))) << outside.toStdString();
}

// Eight turns of the wheel over a picker of a form taller than its sheet
// scroll the form and change nothing; the picker takes the wheel only once
// the user has given it the focus.
TEST_F(RuleEditorTest, theWheelOverAPickerScrollsTheFormUntilThePickerHasTheFocus)
{
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Desktop"));
    const Rule many = rule(QStringLiteral("Belege"),
                           {condition(Field::name, Op::contains, QStringLiteral("Rechnung")),
                            condition(Field::fileType, Op::is, QStringLiteral("pdf")),
                            condition(Field::age, Op::greaterThan, QStringLiteral("7")),
                            condition(Field::name, Op::contains, QStringLiteral("Beleg")),
                            condition(Field::size, Op::lessThan, QStringLiteral("10")),
                            condition(Field::text, Op::contains, QStringLiteral("Betrag"))},
                           {action(Kind::rename, QStringLiteral("{datum} {original}")),
                            action(Kind::tag, QStringLiteral("Steuer")),
                            action(Kind::copy, QStringLiteral("~/Archive")),
                            action(Kind::move, QStringLiteral("~/Documents/{jahr}")),
                            action(Kind::trashAfter, QStringLiteral("30"))});
    model->save(AppModel::Editing{QUuid::createUuid(), many, downloads.uuid, false});
    model->edit(*model->store().rule(many.id));

    const struct
    {
        const char *picker;
        std::function<QComboBox *(RuleEditor &)> find;
    } pickers[] = {
        {"folder", [](RuleEditor &e) { return e.findChild<QComboBox *>(QStringLiteral("folder")); }},
        {"field",
         [](RuleEditor &e) { return e.conditionRows().at(3)->findChild<QComboBox *>(QStringLiteral("field")); }},
        {"operator",
         [](RuleEditor &e) { return e.conditionRows().at(3)->findChild<QComboBox *>(QStringLiteral("operator")); }},
        {"file type",
         [](RuleEditor &e) { return e.conditionRows().at(1)->findChild<QComboBox *>(QStringLiteral("fileType")); }},
        {"action", [](RuleEditor &e) { return e.actionRows().at(2)->findChild<QComboBox *>(QStringLiteral("kind")); }},
    };
    for (const auto &[name, find] : pickers) {
        SCOPED_TRACE(name);
        RuleEditor editor(*model, *model->editing());
        editor.show();
        editor.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
        auto *area = editor.findChild<QScrollArea *>();
        QScrollBar *bar = area->verticalScrollBar();
        ASSERT_GT(area->widget()->height(), area->viewport()->height() + 200);
        QComboBox *picker = find(editor);
        ASSERT_NE(picker, nullptr);
        ASSERT_TRUE(picker->isVisible());

        // The picker in the middle of the view, as far as the form goes.
        bar->setValue(picker->mapTo(area->widget(), QPoint(0, 0)).y() - area->viewport()->height() / 2);
        QCoreApplication::processEvents();
        const int scrolled = bar->value();
        const int index = picker->currentIndex();
        const AppModel::Editing before = editor.editing();
        turnWheel(picker, scrolled < bar->maximum() ? -8 : 8);
        EXPECT_NE(bar->value(), scrolled);
        EXPECT_EQ(picker->currentIndex(), index);
        EXPECT_EQ(editor.editing().rule, before.rule);
        EXPECT_EQ(editor.editing().folderID, before.folderID);
        EXPECT_FALSE(picker->hasFocus());

        // Given the focus, it changes by the wheel.
        picker->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        turnWheel(picker, index + 1 < picker->count() ? -1 : 1);
        EXPECT_NE(picker->currentIndex(), index);
    }
}
