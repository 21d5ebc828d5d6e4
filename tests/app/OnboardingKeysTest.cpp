// Return goes forward in the onboarding, by real key presses through its
// window: after "Allow Notifications…" and on a starter rule's switch, also
// where the desktop's theme lets Return press buttons (GTK's).
#include "ButtonPressKeys.h"
#include "FocusRing.h"
#include "OnboardingFixture.h"
#include "Sheet.h"
#include "StarterRuleToggle.h"
#include "ToggleSwitch.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace {

class OnboardingKeysTest : public OnboardingFixture
{
};

const char *themeName(bool returnPresses)
{
    return returnPresses ? "Return presses buttons" : "Space alone presses buttons";
}

} // namespace

TEST_F(OnboardingKeysTest, ReturnAfterAllowingNotificationsStarts)
{
    for (const bool returnPresses : {false, true}) {
        std::optional<ButtonPressKeys> theme;
        if (returnPresses)
            theme.emplace();
        ASSERT_EQ(ButtonPressKeys::returnPresses(), returnPresses);
        Prefs::setValue(QStringLiteral("onboarded"), false);
        ASSERT_TRUE(open()) << themeName(returnPresses);
        EXPECT_EQ(button("forward")->text(), german() ? QStringLiteral("Weiter") : QStringLiteral("Continue"));
        for (int i = 0; i < 3; ++i)
            press(Qt::Key_Return);
        ASSERT_EQ(view->step(), 3) << themeName(returnPresses);

        QPushButton *allow = button("allowNotifications");
        ASSERT_TRUE(tabTo(allow)) << themeName(returnPresses);
        press(Qt::Key_Return);
        EXPECT_FALSE(allow->isEnabled()) << themeName(returnPresses);
        EXPECT_EQ(allow->text(), german() ? QStringLiteral("Gefragt") : QStringLiteral("Asked"));
        // The focus stays where the button is: Space presses nothing.
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(FocusRing::wearer(QApplication::focusWidget()), allow) << themeName(returnPresses);
        press(Qt::Key_Space);
        EXPECT_TRUE(view->isVisible()) << themeName(returnPresses);

        // Return, Return: allowed, then started.
        press(Qt::Key_Return);
        EXPECT_EQ(view->step(), 3) << themeName(returnPresses);
        EXPECT_FALSE(view->isVisible()) << themeName(returnPresses);
        EXPECT_EQ(view->result(), QDialog::Accepted) << themeName(returnPresses);
        EXPECT_TRUE(Prefs::boolValue(QStringLiteral("onboarded"))) << themeName(returnPresses);
    }
}

// "Back" pressed on the second page is gone on the first: the focus stays
// in its place, and the next Space goes nowhere, least of all forward.
TEST_F(OnboardingKeysTest, SpaceAfterBackToTheFirstPageStaysThere)
{
    ASSERT_TRUE(open());
    press(Qt::Key_Return);
    ASSERT_EQ(view->step(), 1);
    ASSERT_TRUE(tabTo(button("back")));
    press(Qt::Key_Space);
    ASSERT_EQ(view->step(), 0);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(FocusRing::wearer(QApplication::focusWidget()), view->findChild<QWidget *>(QStringLiteral("stepText")));
    press(Qt::Key_Space);
    press(Qt::Key_Space);
    EXPECT_EQ(view->step(), 0);
    // Tab goes on from there, to the forward button; Return still goes forward.
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button("forward"));
    press(Qt::Key_Return);
    EXPECT_EQ(view->step(), 1);
}

// After "Back" to the first page, Return goes forward page by page: the
// "Back" shown again on the second page does not take back the focus that
// Return went on from, whichever keys the desktop's theme lets press buttons.
TEST_F(OnboardingKeysTest, ReturnAfterBackToTheFirstPageGoesForwardEachTime)
{
    for (const bool returnPresses : {false, true}) {
        std::optional<ButtonPressKeys> theme;
        if (returnPresses)
            theme.emplace();
        ASSERT_TRUE(open()) << themeName(returnPresses);
        press(Qt::Key_Return);
        ASSERT_EQ(view->step(), 1) << themeName(returnPresses);
        ASSERT_TRUE(tabTo(button("back"))) << themeName(returnPresses);
        press(Qt::Key_Space);
        ASSERT_EQ(view->step(), 0) << themeName(returnPresses);
        for (const int step : {1, 2, 3}) {
            press(Qt::Key_Return);
            EXPECT_EQ(view->step(), step) << themeName(returnPresses);
            EXPECT_NE(QApplication::focusWidget(), button("back")) << themeName(returnPresses);
        }
        // Tab still goes on from where "Back" stands.
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), button("forward")) << themeName(returnPresses);
    }
}

TEST_F(OnboardingKeysTest, ReturnOnAStarterRuleGoesForwardAndSpaceSwitchesIt)
{
    const ButtonPressKeys theme;
    ASSERT_TRUE(ButtonPressKeys::returnPresses());
    const struct
    {
        const char *rule;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool forward;
    } cases[] = {
        {"receipts", Qt::Key_Return, Qt::NoModifier, true},
        {"finance", Qt::Key_Return, Qt::NoModifier, true}, // one that starts switched off
        {"screenshots", Qt::Key_Enter, Qt::KeypadModifier, true},
        {"receipts", Qt::Key_Space, Qt::NoModifier, false},
        {"finance", Qt::Key_Space, Qt::NoModifier, false},
    };
    for (const auto &c : cases) {
        const std::string name = std::string(c.rule) + (c.forward ? " Return" : " Space");
        ASSERT_TRUE(open()) << name;
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        ASSERT_EQ(view->step(), 2) << name;
        auto *toggle = view->findChild<StarterRuleToggle *>(QString::fromLatin1(c.rule));
        ASSERT_NE(toggle, nullptr) << name;
        ASSERT_TRUE(toggle->isEnabled()) << name;
        ASSERT_TRUE(tabTo(toggle)) << name;
        const bool before = toggle->isChecked();

        press(c.key, c.modifiers);
        EXPECT_EQ(view->step(), c.forward ? 3 : 2) << name;
        EXPECT_EQ(toggle->isChecked(), before != !c.forward) << name;
        EXPECT_EQ(view->templates().contains(QString::fromLatin1(c.rule)), toggle->isChecked()) << name;
    }
}

// Any sheet: Return on a check box, a radio button or a switch presses the
// sheet's default button and leaves the control as it was, whichever keys
// the desktop's theme lets press buttons; Space switches the control.
TEST(SheetReturnTest, ReturnOnACheckBoxRadioButtonOrSwitchPressesTheDefaultButton)
{
    enum class Control { checkBox, radioButton, toggleSwitch };
    const struct
    {
        Control control;
        const char *name;
    } controls[] = {{Control::checkBox, "check box"}, {Control::radioButton, "radio button"}, {Control::toggleSwitch, "switch"}};
    for (const bool returnPresses : {false, true}) {
        std::optional<ButtonPressKeys> theme;
        if (returnPresses)
            theme.emplace();
        for (const auto &c : controls) {
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
                const std::string name = std::string(c.name) + ", " + themeName(returnPresses)
                    + (key == Qt::Key_Return ? ", Return" : ", Space");
                Sheet sheet(nullptr);
                auto *layout = new QVBoxLayout(&sheet);
                QAbstractButton *control = nullptr;
                switch (c.control) {
                case Control::checkBox:
                    control = new QCheckBox(QStringLiteral("Box"), &sheet);
                    break;
                case Control::radioButton:
                    control = new QRadioButton(QStringLiteral("Radio"), &sheet);
                    break;
                case Control::toggleSwitch:
                    control = new ToggleSwitch(&sheet);
                    break;
                }
                layout->addWidget(control);
                auto *ok = new QPushButton(QStringLiteral("OK"), &sheet);
                ok->setDefault(true);
                QObject::connect(ok, &QPushButton::clicked, &sheet, &QDialog::accept);
                layout->addWidget(ok);
                sheet.show();
                sheet.activateWindow();
                ASSERT_TRUE(OnboardingFixture::opened(&sheet)) << name;
                control->setFocus(Qt::TabFocusReason);
                ASSERT_EQ(QApplication::focusWidget(), control) << name;

                QTest::keyClick(sheet.windowHandle(), key);
                EXPECT_EQ(control->isChecked(), key == Qt::Key_Space) << name;
                EXPECT_EQ(sheet.isVisible(), key == Qt::Key_Space) << name;
                EXPECT_EQ(sheet.result(), key == Qt::Key_Space ? QDialog::Rejected : QDialog::Accepted) << name;
            }
        }
    }
}
