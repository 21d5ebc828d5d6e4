// The onboarding keeps its fixed size at the font sizes of common desktops:
// every text gets the height it needs, within reach of the page's scrolling,
// and a starter rule reached by Tab shows whole.
#include "DesktopLook.h"
#include "FocusWalk.h"
#include "OnboardingFixture.h"
#include "StarterRuleToggle.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>

namespace {

class OnboardingRoomTest : public OnboardingFixture
{
protected:
    void TearDown() override { QApplication::setFont(m_font); }

    // The application's font at that many points, until the test ends.
    void useFontSize(qreal points)
    {
        QFont font = m_font;
        font.setPointSizeF(points);
        QApplication::setFont(font);
    }

    // How the sheet is laid out once it has taken in its last changes.
    static void settle() { DesktopLook::settle(); }

    // The widget the page of the stack shows widget on, and how far down it
    // can be brought into view.
    struct Room
    {
        const QWidget *content = nullptr;
        int reach = 0;
        const QScrollArea *area = nullptr;
    };
    static Room roomOf(const QWidget *widget)
    {
        const QWidget *page = widget;
        while (page->parentWidget() && !qobject_cast<const QStackedWidget *>(page->parentWidget()))
            page = page->parentWidget();
        if (const auto *area = qobject_cast<const QScrollArea *>(page))
            return {area->widget(), area->viewport()->height() + area->verticalScrollBar()->maximum(), area};
        return {page, page->height(), nullptr};
    }

private:
    const QFont m_font = QApplication::font();
};

} // namespace

TEST_F(OnboardingRoomTest, EveryTextHasTheHeightItNeedsWithinReach)
{
    for (const qreal points : {11.0, 13.0}) {
        useFontSize(points);
        ASSERT_TRUE(open()) << points;
        for (int step = 0; step < OnboardingView::steps; ++step) {
            if (step > 0)
                button("forward")->click();
            settle();
            ASSERT_EQ(view->step(), step);
            int shown = 0;
            for (const QLabel *label : view->findChildren<QLabel *>()) {
                if (!label->isVisible() || !label->wordWrap() || label->text().isEmpty()
                    || label->window() != view.get())
                    continue;
                ++shown;
                const std::string name = std::to_string(int(points)) + " pt, step " + std::to_string(step + 1)
                    + ": " + label->text().toStdString();
                const Room room = roomOf(label);
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name;
                const QRect place(label->mapTo(room.content, QPoint(0, 0)), label->size());
                EXPECT_LE(place.bottom() + 1, room.reach) << name;
                EXPECT_LE(place.right() + 1, room.content->width()) << name;
            }
            EXPECT_GT(shown, 1) << points << " pt, step " << step + 1;
        }
    }
}

TEST_F(OnboardingRoomTest, AStarterRuleReachedByTabShowsWholeAndTheSheetGoesWithTheFocusOnIt)
{
    for (const qreal points : {11.0, 13.0}) {
        useFontSize(points);
        ASSERT_TRUE(open()) << points;
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        ASSERT_EQ(view->step(), 2) << points;
        settle();
        const QList<StarterRuleToggle *> toggles = view->findChildren<StarterRuleToggle *>();
        ASSERT_EQ(toggles.size(), 5) << points;
        const Room room = roomOf(toggles.constLast());
        ASSERT_NE(room.area, nullptr) << points;
        // The rules are more than the page's room: some of them are reached by scrolling.
        EXPECT_GT(room.area->verticalScrollBar()->maximum(), 0) << points;
        for (const StarterRuleToggle *toggle : toggles) {
            const std::string name = std::to_string(int(points)) + " pt: " + toggle->objectName().toStdString();
            ASSERT_TRUE(tabTo(toggle)) << name;
            settle();
            EXPECT_GE(toggle->height(), toggle->heightForWidth(toggle->width())) << name;
            EXPECT_TRUE(FocusWalk::inView(toggle)) << name;
        }
        // The sheet goes while a rule has the focus; the focus then goes on
        // elsewhere without reaching what the sheet left behind.
        ASSERT_EQ(QApplication::focusWidget(), toggles.constLast()) << points;
        view.reset();
        QLineEdit elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&elsewhere)) << points;
        elsewhere.setFocus(Qt::OtherFocusReason);
        EXPECT_EQ(QApplication::focusWidget(), &elsewhere) << points;
    }
}
