// Keys typed on after the program took away the control that had the focus
// (the model went away, a draft ended, a card's folder or missing access
// changed) act nowhere: the focus waits in the control's place, wearing its
// ring there, and the control gets it back when it returns. By real key
// presses in the main window and its rule editor. The ring there is the
// style's.
#include "ConditionRow.h"
#include "DescribeRuleField.h"
#include "FocusRing.h"
#include "FocusRingStyle.h"
#include "MainWindow.h"
#include "RuleCard.h"
#include "RuleEditor.h"
#include "RuleEditorFixture.h"
#include "RulesPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolButton>
#include <QtTest/QTest>

namespace {

// Each way the model stops being available.
enum class Way { serverGone, notReady, switchedOff };

const char *wayName(Way way)
{
    switch (way) {
    case Way::serverGone:
        return "server gone";
    case Way::notReady:
        return "not ready";
    case Way::switchedOff:
        return "switched off";
    }
    return "";
}

// Whether the focus waits where control stood: in container, with the ring
// round ringed, on nothing a key would press or type into.
::testing::AssertionResult waitsInPlace(const QWidget *container, const QWidget *ringed)
{
    const QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return ::testing::AssertionFailure() << "nothing has the focus";
    if (!container->isAncestorOf(focus) || FocusRing::wearer(focus) != ringed || qobject_cast<const QAbstractButton *>(focus)
        || qobject_cast<const QLineEdit *>(focus))
        return ::testing::AssertionFailure() << "the focus is on " << focus->metaObject()->className() << " \""
                                             << focus->objectName().toStdString() << "\"";
    return ::testing::AssertionSuccess();
}

} // namespace

class KeptFocusTest : public RuleEditorFixture
{
protected:
    StoredRule storeRule(const QString &name, const QList<Condition> &conditions, const QString &moveTo,
                         const std::optional<QUuid> &folderID)
    {
        StoredRule stored(rule(name, conditions, {action(Kind::move, moveTo)}), folderID, model->store().rules().size());
        model->store().insert(stored);
        return stored;
    }

    void leave(Way way)
    {
        switch (way) {
        case Way::serverGone:
            server.reset();
            break;
        case Way::notReady:
            server->setModelsReply({503, R"({"error":{"message":"loading"}})"});
            break;
        case Way::switchedOff:
            Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), false);
            break;
        }
        model->autopilot().refreshModelStatus();
        const ModelStatus expected = way == Way::serverGone ? ModelStatus::notEnabled
            : way == Way::notReady                          ? ModelStatus::notReady
                                                            : ModelStatus::switchedOff;
        ASSERT_EQ(model->autopilot().modelStatus(), expected) << wayName(way);
    }

    // Keys pressed on whatever has the focus, one by one.
    static void press(const QList<Qt::Key> &keys)
    {
        for (const Qt::Key key : keys) {
            QWidget *focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            QTest::keyClick(focus, key);
        }
        QCoreApplication::processEvents();
    }

    std::unique_ptr<MainWindow> openWindow()
    {
        auto window = std::make_unique<MainWindow>(*model);
        model->setSidebar(SidebarItem::rules);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QCoreApplication::processEvents();
        return window;
    }
};

TEST_F(KeptFocusTest, keysAfterTheModelLeftTheDescribeFieldChangeNothingAndTheSentenceTakesThemBack)
{
    useModel();
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    storeRule(QStringLiteral("Invoices"), {condition(Field::name, Op::contains, QStringLiteral("invoice"))},
              QStringLiteral("~/Documents/{jahr}"), downloads.uuid);
    storeRule(QStringLiteral("Scans"), {condition(Field::name, Op::contains, QStringLiteral("scan"))},
              QStringLiteral("~/Documents"), downloads.uuid);
    const std::unique_ptr<MainWindow> window = openWindow();
    auto *page = qobject_cast<RulesPage *>(window->currentPage());
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->cards().size(), 2);
    DescribeRuleField *field = page->describeField();
    QWidget *box = field->findChild<QWidget *>(QStringLiteral("describeBox"));
    int ruleWrites = 0;
    QObject::connect(&model->store(), &Store::changed, window.get(), [&ruleWrites](Store::Model changed) {
        if (changed == Store::Model::storedRule)
            ++ruleWrites;
    });
    const QString sentence = QStringLiteral("Put payslips from my bank");

    // Where the focus was when the model went: the sentence, "Make Rule", or
    // "Stop" of a draft that ends (the server gone) or is stopped meanwhile.
    enum class From { sentence, makeRule, stop };
    const std::pair<From, const char *> froms[] = {
        {From::sentence, "sentence"}, {From::makeRule, "make rule"}, {From::stop, "stop"}};
    for (const auto &[from, fromName] : froms) {
        for (const Way way : {Way::serverGone, Way::notReady, Way::switchedOff}) {
            const std::string name = std::string(fromName) + ", " + wayName(way);
            SCOPED_TRACE(name);
            field->lineEdit()->clear();
            QTest::mouseClick(field->lineEdit(), Qt::LeftButton);
            ASSERT_EQ(QApplication::focusWidget(), field->lineEdit());
            QTest::keyClicks(field->lineEdit(), sentence);
            if (from == From::makeRule) {
                press({Qt::Key_Tab});
                ASSERT_EQ(QApplication::focusWidget(), field->makeButton());
            } else if (from == From::stop) {
                server->queueChat({200, {}, true}); // thinks until it is stopped or gone
                press({Qt::Key_Return});
                ASSERT_TRUE(field->isWorking());
            }
            const QList<StoredRule> before = model->store().rules();
            ruleWrites = 0;

            leave(way);
            if (from == From::stop) {
                if (way == Way::serverGone)
                    ASSERT_TRUE(QTest::qWaitFor([&] { return !field->isWorking(); }, 10000));
                else
                    press({Qt::Key_Space}); // "Stop", while the model is away
                ASSERT_FALSE(field->isWorking());
            }
            EXPECT_FALSE(field->lineEdit()->isEnabled());
            EXPECT_TRUE(waitsInPlace(box, box));
            press({Qt::Key_Space, Qt::Key_Space, Qt::Key_A, Qt::Key_Return, Qt::Key_Space, Qt::Key_Enter, Qt::Key_Space});
            EXPECT_EQ(ruleWrites, 0);
            EXPECT_EQ(model->store().rules(), before);
            EXPECT_EQ(field->text(), sentence);
            EXPECT_FALSE(model->editing());
            EXPECT_FALSE(field->isWorking());
            EXPECT_TRUE(waitsInPlace(box, box));

            // Back: the next letters go on at the sentence's end.
            useModel();
            ASSERT_EQ(QApplication::focusWidget(), field->lineEdit());
            EXPECT_EQ(field->lineEdit()->cursorPosition(), sentence.size());
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" now"));
            EXPECT_EQ(field->text(), sentence + QStringLiteral(" now"));
            EXPECT_EQ(model->store().rules(), before);
        }
    }
}

TEST_F(KeptFocusTest, aSpaceAfterTheModelLeftAConditionsPickerRemovesNothing)
{
    useModel();
    const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
    const struct
    {
        const char *name;
        Field field;
        Op op;
        const char *value;
        const char *picker;
        Way way;
    } cases[] = {
        {"kind", Field::kind, Op::is, "receipt", "kind", Way::serverGone},
        {"sender", Field::sender, Op::contains, "bank", "value", Way::notReady},
        {"document date", Field::date, Op::after, "2026-01-01", "field", Way::switchedOff},
        {"amount", Field::amount, Op::lessThan, "50", "operator", Way::serverGone},
    };
    const std::unique_ptr<MainWindow> window = openWindow();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const StoredRule stored = storeRule(QStringLiteral("Receipts"),
                                            {condition(c.field, c.op, QString::fromLatin1(c.value))},
                                            QStringLiteral("~/Documents/Receipts"), downloads.uuid);
        model->edit(stored);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->ruleEditor() && window->ruleEditor()->isActiveWindow(); }));
        auto *editor = qobject_cast<RuleEditor *>(window->ruleEditor());
        ASSERT_NE(editor, nullptr);
        // The sheet opens with the focus on itself, after its showing.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == editor; }));
        QCoreApplication::processEvents();
        ConditionRow *row = editor->conditionRows().at(0);
        auto *picker = row->findChild<QWidget *>(QLatin1String(c.picker));
        ASSERT_NE(picker, nullptr);
        picker->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), picker);
        const Condition before = row->condition();

        leave(c.way);
        ASSERT_FALSE(picker->isEnabled());
        EXPECT_TRUE(row->removeButton()->isEnabled()); // a condition the model cannot test can still go
        press({Qt::Key_Space});
        ASSERT_EQ(editor->conditionRows().size(), 1);
        ASSERT_TRUE(waitsInPlace(row, picker));
        press({Qt::Key_Space, Qt::Key_A, Qt::Key_Space});
        ASSERT_EQ(editor->conditionRows().size(), 1);
        EXPECT_EQ(editor->editing().rule.conditions, QList<Condition>{before});
        EXPECT_TRUE(waitsInPlace(row, picker));

        // Back: the picker has the focus again, the condition as it was.
        useModel();
        EXPECT_EQ(QApplication::focusWidget(), picker);
        EXPECT_EQ(row->condition(), before);
        EXPECT_EQ(editor->editing().rule.conditions, QList<Condition>{before});
        editor->reject();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !model->editing() && !window->ruleEditor(); }));
        model->store().remove(*model->store().rule(stored.uuid));
    }
}

TEST_F(KeptFocusTest, aCardsButtonThatTheStoreTakesAwayLeavesTheFocusInTheCard)
{
    enum class Change { folderRemoved, accessGranted };
    const struct
    {
        const char *name;
        Change change;
    } cases[] = {{"dry run, its folder removed", Change::folderRemoved}, {"allow, access granted", Change::accessGranted}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const WatchedFolder inbox = folder(QStringLiteral("Inbox"));
        const WatchedFolder downloads = folder(QStringLiteral("Downloads"));
        QDir().mkpath(RealHome::path() + QStringLiteral("/Archive"));
        const StoredRule first = storeRule(QStringLiteral("First"), {condition(Field::name, Op::contains, QStringLiteral("a"))},
                                           c.change == Change::accessGranted ? QStringLiteral("~/Archive/{jahr}")
                                                                             : QStringLiteral("~/Downloads/{jahr}"),
                                           inbox.uuid);
        storeRule(QStringLiteral("Second"), {condition(Field::name, Op::contains, QStringLiteral("b"))},
                  QStringLiteral("~/Downloads"), downloads.uuid);
        const std::unique_ptr<MainWindow> window = openWindow();
        auto *page = qobject_cast<RulesPage *>(window->currentPage());
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->cards().size(), 2);
        RuleCard *card = page->cards().at(0);
        QWidget *control = c.change == Change::folderRemoved ? static_cast<QWidget *>(card->dryRunButton())
                                                             : card->findChild<QPushButton *>(QStringLiteral("allow"));
        ASSERT_NE(control, nullptr);
        ASSERT_TRUE(control->isVisible() && control->isEnabled());
        control->setFocus(Qt::TabFocusReason);

        if (c.change == Change::folderRemoved)
            model->removeFolder(inbox);
        else
            folder(QStringLiteral("Archive"), false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !control->isEnabled() || !control->isVisible(); }));
        QCoreApplication::processEvents();
        const QList<StoredRule> before = model->store().rules();
        EXPECT_TRUE(waitsInPlace(card, c.change == Change::folderRemoved ? control : card));
        press({Qt::Key_Space, Qt::Key_Return, Qt::Key_Space});
        EXPECT_EQ(model->store().rules(), before);
        EXPECT_FALSE(page->dryRun());
        EXPECT_FALSE(model->editing());
        EXPECT_FALSE(window->ruleEditor());

        for (const StoredRule &stored : model->store().rules())
            model->store().remove(stored);
        for (const WatchedFolder &gone : model->folders())
            model->store().remove(gone);
    }
}

// The ring a place keeps round a control taken away stands as far out as
// the ring the style follows the focus with.
TEST(KeptFocusRingTest, everyFocusFrameStandsTheRingsRoomAwayFromItsControl)
{
    FocusRingStyle style(QStyleFactory::create(QStringLiteral("Fusion")));
    QWidget window;
    auto *control = new QPushButton(QStringLiteral("Kind"), &window);
    QFocusFrame frame(&window);
    frame.setWidget(control);
    QStyleOption option;
    option.initFrom(&frame);
    option.styleObject = &frame;
    EXPECT_EQ(style.pixelMetric(QStyle::PM_FocusFrameHMargin, &option, &frame), FocusRing::room);
    EXPECT_EQ(style.pixelMetric(QStyle::PM_FocusFrameVMargin, &option, &frame), FocusRing::room);
}
