#include "FocusWalk.h"

#include "RowListArea.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStringList>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace FocusWalk {

namespace {

// An unchecked segment of a picker whose checked segment takes the stop.
bool isOtherSegment(const QWidget *widget)
{
    const auto *button = qobject_cast<const QAbstractButton *>(widget);
    if (!button || !button->isCheckable() || button->isChecked())
        return false;
    return (button->group() && button->group()->exclusive() && button->group()->checkedButton())
        || button->autoExclusive();
}

bool isStop(const QWidget *window, const QWidget *widget)
{
    return widget->window() == window && widget->isVisible() && widget->isEnabled()
        && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() && !isOtherSegment(widget);
}

} // namespace

QList<QWidget *> onScreen(QWidget *window, const QList<QWidget *> &regions)
{
    // New widgets show, and the layouts place them.
    QCoreApplication::processEvents();
    struct Place
    {
        QWidget *widget;
        qsizetype region;
        QRect rect;
    };
    QList<Place> places;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!isStop(window, widget))
            continue;
        const auto region = std::find_if(regions.begin(), regions.end(),
                                         [widget](QWidget *r) { return r == widget || r->isAncestorOf(widget); });
        if (region == regions.end())
            continue;
        places.append({widget, region - regions.begin(),
                       QRect(widget->mapTo(*region, QPoint(0, 0)), widget->size())});
    }
    std::sort(places.begin(), places.end(), [](const Place &a, const Place &b) {
        return std::pair(a.region, a.rect.top()) < std::pair(b.region, b.rect.top());
    });
    QList<QWidget *> order;
    for (qsizetype start = 0; start < places.size();) {
        // One line: what stands beside its topmost control.
        qsizetype end = start + 1;
        while (end < places.size() && places.at(end).region == places.at(start).region
               && places.at(end).rect.center().y() <= places.at(start).rect.bottom())
            ++end;
        QList<Place> line = places.mid(start, end - start);
        std::sort(line.begin(), line.end(), [](const Place &a, const Place &b) { return a.rect.left() < b.rect.left(); });
        for (const Place &place : line)
            order.append(place.widget);
        start = end;
    }
    return order;
}

QList<QWidget *> walk(QWidget *start, bool forward, qsizetype steps)
{
    start->setFocus(Qt::TabFocusReason);
    QList<QWidget *> reached;
    for (qsizetype i = 0; i < steps; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
        QWidget *focus = QApplication::focusWidget();
        reached.append(focus);
        EXPECT_TRUE(!focus || inView(focus)) << "out of view: " << names({focus});
    }
    return reached;
}

bool inView(const QWidget *widget, int room)
{
    for (const QWidget *inner = widget; !inner->isWindow() && inner->parentWidget(); inner = inner->parentWidget()) {
        const auto *area = qobject_cast<const QScrollArea *>(inner->parentWidget());
        if (!area || !area->widget() || !area->widget()->isAncestorOf(widget))
            continue;
        const QRect view = area->viewport()->rect();
        const QRect bare(widget->mapTo(area->viewport(), QPoint(0, 0)), widget->size());
        const QRect ringed = bare.marginsAdded(QMargins(room, room, room, room));
        const QRect wide = ringed.width() <= view.width() ? ringed : bare;
        const QRect high = ringed.height() <= view.height() ? ringed : bare;
        const bool across = wide.width() > view.width() ? wide.left() == view.left()
                                                        : wide.left() >= view.left() && wide.right() <= view.right();
        const bool down = high.height() > view.height() ? high.top() == view.top()
                                                        : high.top() >= view.top() && high.bottom() <= view.bottom();
        if (!across || !down)
            return false;
    }
    return true;
}

bool drawsNoFocus(const QWidget *widget)
{
    const QMetaObject *type = widget->metaObject();
    return type == &QWidget::staticMetaObject || type == &QFrame::staticMetaObject
        || type == &QStackedWidget::staticMetaObject
        || (qobject_cast<const QScrollArea *>(widget) && !qobject_cast<const RowListArea *>(widget));
}

std::string names(const QList<QWidget *> &widgets)
{
    QStringList names;
    for (const QWidget *widget : widgets) {
        if (!widget)
            names.append(QStringLiteral("none"));
        else
            names.append(widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                        : widget->objectName());
    }
    return names.join(u' ').toStdString();
}

void expectScreenOrder(QWidget *window, const QList<QWidget *> &regions, const char *step)
{
    const QList<QWidget *> screen = onScreen(window, regions);
    ASSERT_FALSE(screen.isEmpty()) << step;
    for (const QWidget *widget : screen)
        EXPECT_FALSE(drawsNoFocus(widget)) << step << ": a stop that shows no focus: " << names({const_cast<QWidget *>(widget)});
    // Round the window and back to the first control, each way.
    QList<QWidget *> forward = screen.mid(1);
    forward.append(screen.constFirst());
    const QList<QWidget *> tabbed = walk(screen.constFirst(), true, screen.size());
    EXPECT_EQ(tabbed, forward) << step << "\n  tab: " << names(tabbed) << "\n  screen: " << names(screen);
    const QList<QWidget *> backward(screen.rbegin(), screen.rend());
    const QList<QWidget *> shifted = walk(screen.constFirst(), false, screen.size());
    EXPECT_EQ(shifted, backward) << step << "\n  shift+tab: " << names(shifted) << "\n  screen: " << names(screen);
}

} // namespace FocusWalk
