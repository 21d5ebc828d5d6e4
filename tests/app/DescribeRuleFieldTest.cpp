// The describe field against a model server of the test's own: a good answer
// opens the editor on the draft, every failure shows the one failure text, a
// draft never replaces an editor that is open, the field can be stopped, a
// draft that ends leaves the focus where the user can go on typing, and the
// box wears its edge only while a sentence can be typed into it. In the main
// window, Return in the field drafts as the button does.
#include "DescribeRuleField.h"
#include "FocusRing.h"
#include "MainWindow.h"
#include "ModelStatusText.h"
#include "RuleDrafter.h"
#include "RuleEditorFixture.h"
#include "RulesPage.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <algorithm>

namespace {

FakeModelServer::Reply goodAnswer()
{
    RuleDraft draft;
    draft.name = QStringLiteral("Invoices by year");
    draft.kind = QStringLiteral("invoice");
    draft.secondKind = QStringLiteral("none");
    draft.fileType = QStringLiteral("any");
    draft.moveTo = QStringLiteral("~/Documents/{jahr}");
    return FakeModelServer::chatAnswer(draft.toJson());
}

} // namespace

class DescribeRuleFieldTest : public RuleEditorFixture
{
protected:
    static void type(DescribeRuleField &field, const QString &text) { field.lineEdit()->setText(text); }

    static bool settle(DescribeRuleField &field) { return QTest::qWaitFor([&] { return !field.isWorking(); }, 20000); }
};

TEST_F(DescribeRuleFieldTest, aGoodAnswerOpensTheDraftAndEveryFailureSaysTheSame)
{
    DescribeRuleField field(*model);
    // The model is off: the explanation shows and nothing can be typed.
    EXPECT_EQ(field.statusText(), ModelStatusText::text(model->autopilot().modelStatus()));
    EXPECT_FALSE(field.lineEdit()->isEnabled());

    FakeModelServer &fake = useModel();
    const WatchedFolder older = folder(QStringLiteral("Downloads"));
    folder(QStringLiteral("Desktop"));
    EXPECT_EQ(field.statusText(), QStringLiteral("You get a draft to check. It only runs after you accept it."));
    type(field, QStringLiteral("  \t "));
    EXPECT_FALSE(field.makeButton()->isEnabled());
    field.draft();
    EXPECT_FALSE(field.isWorking());

    fake.queueChat(goodAnswer());
    type(field, QStringLiteral("  move invoices by year  "));
    EXPECT_TRUE(field.makeButton()->isEnabled());
    QTest::keyClick(field.lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(field.isWorking());
    EXPECT_FALSE(field.lineEdit()->isEnabled());
    ASSERT_TRUE(settle(field));
    ASSERT_TRUE(model->editing());
    EXPECT_TRUE(model->editing()->isNew);
    EXPECT_EQ(model->editing()->folderID, older.uuid);
    EXPECT_EQ(model->editing()->rule.name, QStringLiteral("Invoices by year"));
    EXPECT_EQ(model->editing()->rule.createdFromPrompt, QStringLiteral("move invoices by year"));
    EXPECT_TRUE(field.text().isEmpty());
    model->setEditing(std::nullopt);

    // A bad answer, an error status and no server at all: the same failure text, the sentence kept.
    const QString failure = QStringLiteral("The local language model could not turn this into a rule. Try a shorter "
                                           "sentence, or build the rule with Ctrl+N.");
    fake.queueChat({200, R"({"choices":[{"message":{"content":"not json"}}]})"});
    fake.queueChat({500, "oops"});
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt == 2)
            qputenv("APP_MODEL_URL", "http://127.0.0.1:9/v1");
        type(field, QStringLiteral("tidy up"));
        field.draft();
        ASSERT_TRUE(settle(field));
        EXPECT_EQ(field.statusText(), failure);
        EXPECT_EQ(field.text(), QStringLiteral("tidy up"));
        EXPECT_FALSE(model->editing());
    }

    // Asking for the focus focuses the field.
    field.show();
    field.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&field));
    model->focusDescribeField();
    EXPECT_TRUE(field.lineEdit()->hasFocus());
}

TEST_F(DescribeRuleFieldTest, aDraftWaitsForTheOpenEditorAndAStoppedDraftIsDropped)
{
    FakeModelServer &fake = useModel();
    DescribeRuleField field(*model);
    model->newRule();
    const QUuid open = model->editing()->id;

    fake.queueChat(goodAnswer());
    type(field, QStringLiteral("invoices by year"));
    field.draft();
    ASSERT_TRUE(settle(field));
    QTest::qWait(20);
    EXPECT_EQ(model->editing()->id, open); // the open editor keeps its rule
    model->setEditing(std::nullopt); // the editor closes
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->editing().has_value(); }));
    EXPECT_EQ(model->editing()->rule.name, QStringLiteral("Invoices by year"));
    model->setEditing(std::nullopt);

    // Stopped while the server thinks: the field is free again and the late answer is dropped.
    fake.queueChat({200, {}, true});
    type(field, QStringLiteral("invoices by year"));
    field.draft();
    ASSERT_TRUE(field.isWorking());
    field.findChild<QPushButton *>(QStringLiteral("stop"))->click();
    EXPECT_FALSE(field.isWorking());
    EXPECT_TRUE(field.lineEdit()->isEnabled());
    EXPECT_EQ(field.text(), QStringLiteral("invoices by year"));
    QTest::qWait(50);
    EXPECT_FALSE(model->editing());
}

TEST_F(DescribeRuleFieldTest, aFailedOrStoppedDraftGivesTheFocusBackToTheSentenceAndSpaceSendsNothing)
{
    FakeModelServer &fake = useModel();
    struct Case
    {
        const char *name;
        Qt::Key start;    // Return in the field, or Space on "Make Rule"
        bool stop;        // Space on "Stop" while the server thinks
        bool elsewhere;   // the user moves on while the model works
    };
    const Case cases[] = {
        {"return", Qt::Key_Return, false, false},
        {"space on make rule", Qt::Key_Space, false, false},
        {"moved on", Qt::Key_Return, false, true},
        {"stopped", Qt::Key_Return, true, false}, // last: the server never answers it
    };
    for (const Case &c : cases) {
        QWidget window;
        auto *field = new DescribeRuleField(*model, &window);
        auto *other = new QLineEdit(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const auto chats = [&fake] {
            const QList<FakeModelServer::Request> requests = fake.requests();
            return std::count_if(requests.begin(), requests.end(),
                                 [](const FakeModelServer::Request &r) { return r.path.endsWith("/chat/completions"); });
        };
        const auto sent = chats();
        fake.queueChat(c.stop ? FakeModelServer::Reply{200, {}, true} : FakeModelServer::Reply{500, "oops"});

        QTest::mouseClick(field->lineEdit(), Qt::LeftButton);
        QTest::keyClicks(field->lineEdit(), QStringLiteral("tidy up"));
        if (c.start == Qt::Key_Space)
            QTest::keyClick(field->lineEdit(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), c.start);
        ASSERT_TRUE(field->isWorking()) << c.name;
        EXPECT_EQ(QApplication::focusWidget(), field->findChild<QPushButton *>(QStringLiteral("stop"))) << c.name;
        if (c.stop)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        if (c.elsewhere)
            QTest::mouseClick(other, Qt::LeftButton);
        ASSERT_TRUE(settle(*field)) << c.name;

        QWidget *focused = QApplication::focusWidget();
        EXPECT_EQ(focused, c.elsewhere ? other : field->lineEdit()) << c.name;
        EXPECT_EQ(field->lineEdit()->cursorPosition(), 7) << c.name;
        // The next key is a letter of the sentence, wherever the focus is.
        QTest::keyClick(focused, Qt::Key_Space);
        QTest::qWait(50);
        EXPECT_FALSE(field->isWorking()) << c.name;
        EXPECT_EQ(field->text(), c.elsewhere ? QStringLiteral("tidy up") : QStringLiteral("tidy up ")) << c.name;
        // The sentence went once; a draft stopped at once may end before it is sent.
        EXPECT_TRUE(c.stop || QTest::qWaitFor([&] { return chats() == sent + 1; }, 5000)) << c.name;
        QTest::qWait(50);
        EXPECT_LE(chats(), sent + 1) << c.name;
        EXPECT_GE(chats(), c.stop ? sent : sent + 1) << c.name;
    }
}

TEST_F(DescribeRuleFieldTest, theBoxWearsAnEdgeOnlyWhileASentenceCanBeTyped)
{
    DescribeRuleField field(*model);
    field.resize(600, field.sizeHint().height());
    field.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&field));
    const QWidget *box = field.findChild<QWidget *>(QStringLiteral("describeBox"));
    ASSERT_NE(box, nullptr);
    // How far the box's outermost pixel, halfway down its left side, stands
    // apart from its fill.
    const auto edge = [&] {
        const QImage picture = field.grab().toImage();
        const int y = box->geometry().center().y();
        return FocusRing::contrast(picture.pixelColor(box->x(), y), picture.pixelColor(box->x() + 4, y));
    };
    EXPECT_LT(edge(), 1.1) << "no model";

    FakeModelServer &fake = useModel();
    EXPECT_GE(edge(), 3.0) << "ready";
    fake.queueChat({200, {}, true}); // the server thinks until the draft is stopped
    type(field, QStringLiteral("invoices by year"));
    field.draft();
    ASSERT_TRUE(field.isWorking());
    EXPECT_LT(edge(), 1.1) << "drafting";
    field.cancel();
    EXPECT_GE(edge(), 3.0) << "stopped";
}

TEST_F(DescribeRuleFieldTest, returnInTheFieldOfTheMainWindowOpensTheEditorOnTheDraft)
{
    FakeModelServer &fake = useModel();
    MainWindow window(*model);
    model->setSidebar(SidebarItem::rules);
    window.show();
    auto *page = qobject_cast<RulesPage *>(window.currentPage());
    ASSERT_NE(page, nullptr);
    DescribeRuleField *field = page->describeField();
    struct Case
    {
        const char *name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Case cases[] = {
        {"return", Qt::Key_Return, Qt::NoModifier},
        {"keypad enter", Qt::Key_Enter, Qt::KeypadModifier},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fake.queueChat(goodAnswer());
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::mouseClick(field->lineEdit(), Qt::LeftButton);
        ASSERT_EQ(QApplication::focusWidget(), field->lineEdit());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("move invoices by year"));
        QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers);
        // The same key does not go on to press what has the focus now.
        EXPECT_TRUE(field->isWorking());
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.ruleEditor() && window.ruleEditor()->isVisible(); }, 20000));
        ASSERT_TRUE(model->editing());
        EXPECT_TRUE(model->editing()->isNew);
        EXPECT_EQ(model->editing()->rule.name, QStringLiteral("Invoices by year"));
        EXPECT_EQ(model->editing()->rule.createdFromPrompt, QStringLiteral("move invoices by year"));
        EXPECT_TRUE(field->text().isEmpty());
        EXPECT_FALSE(field->failure());
        window.ruleEditor()->reject();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !model->editing(); }, 5000));
    }
}
