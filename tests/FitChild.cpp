// A child for the window fit test: starts as Filewright does on a seeded
// test store (APP_SEED=1), on the screen its platform gives it (the offscreen
// platform with a configuration file of one screen, at the scale the file
// or QT_SCALE_FACTOR asks for), and tells how the main window stands on that
// screen. It prints lines of its own words:
//   area WxH+X+Y          the screen's available area, in Qt's units
//   scale S               Qt's scale of the screen (device pixels per unit)
//   first WxH             the window's size when it is first on screen
//   least WxH             its least size
//   frame WxH+X+Y         the window with its frame, on the screen
// then, once at the first size and once at the least, for each page of the
// sidebar:
//   page NAME SIZE stops N last OBJECT
// where SIZE is "first" or "least", N the page's controls that Tab reached
// and OBJECT the last of them, each control reached checked to show in view
// (whole, or as much of it as its view has room for); then for each sheet:
//   sheet NAME WxH stops N
// with the sheet's size and the controls Tab reached in it, each checked
// the same way, the sheet with its frame inside the work area; and for each thing
// amiss a line that starts with "problem:": a control Tab reached that does
// not show, a widget cut off by its parent with no scrolling to reach the
// rest, a page given less room than its layout needs.
#include "AppModel.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "SidebarItem.h"
#include "TestWindows.h"
#include "Translation.h"

#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QSet>
#include <QTextStream>
#include <QWindow>
#include <QtTest/QTest>

#include <algorithm>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QString size(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString rect(const QRect &rect)
{
    return QStringLiteral("%1+%2+%3").arg(size(rect.size())).arg(rect.x()).arg(rect.y());
}

QString name(const QWidget *widget)
{
    if (!widget)
        return QStringLiteral("none");
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// The window with its frame: where the window is, with its frame's margins
// round it. (The widget's own frame geometry rounds its corner and its size
// apart at a scale with a fraction.)
QRect frame(const QWidget &window)
{
    return window.geometry().marginsAdded(window.windowHandle()->frameMargins());
}

void problem(const QString &text)
{
    out() << "problem: " << text << Qt::endl;
}

// The widget's rectangle on the screen, and the part of it that its parents
// leave in view.
QRect onScreen(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

QRect room(const QWidget *widget)
{
    QRect room = QRect(QPoint(-100000, -100000), QPoint(100000, 100000));
    for (const QWidget *outer = widget->parentWidget(); outer; outer = outer->parentWidget()) {
        room &= onScreen(outer);
        if (outer->isWindow())
            break;
    }
    return room;
}

// A control with the focus shows whole, or as much of it as the room its
// views leave, and inside the screen's available area.
bool inView(const QWidget *widget, const QRect &area)
{
    const QRect whole = onScreen(widget);
    const QRect around = room(widget);
    const QRect shown = whole & around;
    return !shown.isEmpty() && shown.width() == std::min(whole.width(), around.width())
        && shown.height() == std::min(whole.height(), around.height()) && area.contains(shown);
}

// What is cut off with nothing to reach it by: a widget given less room than
// its layout needs (its layout then squeezes its items below their own
// least sizes), or a scroll area's content wider or taller than its view
// where the view does not scroll that way.
void checkCut(QWidget *window, const QString &where)
{
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        // Qt's own parts of a scroll area (the corner round its bars) aside.
        if (!widget->isVisible() || widget->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QSize needs = widget->layout() ? widget->layout()->minimumSize() : QSize();
        // A layout that wraps needs the height its width gives it.
        if (widget->layout() && widget->layout()->hasHeightForWidth())
            needs.setHeight(widget->layout()->heightForWidth(widget->width()));
        if (needs.width() > widget->width() || needs.height() > widget->height())
            problem(QStringLiteral("%1: %2 has %3, its layout needs %4")
                        .arg(where, name(widget), size(widget->size()), size(needs)));
        const auto *area = qobject_cast<const QScrollArea *>(widget);
        if (!area || !area->widget())
            continue;
        const QSize content = area->widget()->size();
        const QSize view = area->viewport()->size();
        if ((content.width() > view.width() && area->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
            || (content.height() > view.height() && area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff))
            problem(QStringLiteral("%1: %2 shows %3 of %4 and does not scroll to the rest")
                        .arg(where, name(area->widget()), size(view), size(content)));
    }
}

// Walks the window with Tab from the sidebar round to it again, and tells
// where the page's controls were and whether each showed.
void walkPage(MainWindow &window, SidebarItem item, const QString &when, const QRect &area)
{
    QWidget *page = window.currentPage();
    const QString where = SidebarItems::rawValue(item) + QLatin1Char(' ') + when;
    checkCut(&window, where);
    auto *sidebar = window.findChild<QWidget *>(QStringLiteral("sidebar"));
    QWidget *start = sidebar ? sidebar : window.focusWidget();
    start->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    int stops = 0;
    QWidget *last = nullptr;
    for (int step = 0; step < 600; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        if (!focus || focus == start)
            break;
        if (!inView(focus, area))
            problem(QStringLiteral("%1: %2 has the focus out of view (%3 of %4 shows, in a work area of %5)")
                        .arg(where, name(focus), rect(onScreen(focus) & room(focus)), rect(onScreen(focus)), rect(area)));
        if (page->isAncestorOf(focus)) {
            ++stops;
            last = focus;
        }
    }
    if (QApplication::focusWidget() != start)
        problem(QStringLiteral("%1: Tab did not come round to the sidebar").arg(where));
    if (!last)
        problem(QStringLiteral("%1: Tab reached no control of the page").arg(where));
    out() << "page " << SidebarItems::rawValue(item) << ' ' << when << " stops " << stops << " last " << name(last)
          << Qt::endl;
}

void walkPages(FilewrightApp &filewright, const QString &when, const QRect &area)
{
    MainWindow &window = filewright.mainWindow();
    for (const SidebarItem item : {SidebarItem::rules, SidebarItem::journal, SidebarItem::folders, SidebarItem::receipts}) {
        filewright.model().setSidebar(item);
        // The page builds its rows in turns of the event loop.
        QTest::qWait(300);
        walkPage(window, item, when, area);
    }
}

// Opens each sheet over the window, and walks it with Tab round to where
// the walk began.
void walkSheets(FilewrightApp &filewright, const QRect &area)
{
    for (const char *which : {"editor", "dry-run", "review", "palette", "onboarding"}) {
        const QString where = QStringLiteral("sheet ") + QLatin1String(which);
        QWidget *sheet = TestWindows::open(filewright, QLatin1String(which));
        if (!sheet || !QTest::qWaitForWindowExposed(sheet)) {
            problem(where + QStringLiteral(" did not open"));
            continue;
        }
        QTest::qWait(100);
        if (!area.contains(frame(*sheet)))
            problem(QStringLiteral("%1: %2 lies outside the work area %3").arg(where, rect(frame(*sheet)), rect(area)));
        checkCut(sheet, where);
        // Round the sheet once: until a control comes again.
        QSet<QWidget *> reached{QApplication::focusWidget()};
        int stops = 0;
        for (int step = 0; QApplication::focusWidget() && step < 200; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *focus = QApplication::focusWidget();
            if (!focus || reached.contains(focus))
                break;
            reached.insert(focus);
            ++stops;
            if (!inView(focus, area))
                problem(QStringLiteral("%1: %2 has the focus out of view (%3 of %4 shows)")
                            .arg(where, name(focus), rect(onScreen(focus) & room(focus)), rect(onScreen(focus))));
        }
        out() << where << ' ' << size(sheet->size()) << " stops " << stops << Qt::endl;
        // The sheet under it first, where one sheet opened another.
        while (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            dialog->reject();
            QTest::qWait(50);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Filewright"));
    QApplication::setApplicationName(QStringLiteral("Filewright"));
    Translation::install();

    FilewrightApp filewright;
    MainWindow &window = filewright.mainWindow();
    filewright.showMainWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        problem(QStringLiteral("the main window did not become active"));
        return 1;
    }
    // The start-up task seeds the store; the pages show what it holds.
    QTest::qWait(300);
    const QScreen *screen = window.windowHandle()->screen();
    const QRect area = screen->availableGeometry();
    out() << "area " << rect(area) << Qt::endl;
    out() << "scale " << screen->devicePixelRatio() << Qt::endl;
    out() << "first " << size(window.size()) << Qt::endl;
    // The window's least size, which MainWindow's constant of that name hides.
    const QWidget &widget = window;
    out() << "least " << size(widget.minimumSize()) << Qt::endl;
    out() << "frame " << rect(frame(window)) << Qt::endl;
    walkPages(filewright, QStringLiteral("first"), area);

    window.resize(widget.minimumSize());
    QTest::qWait(100);
    out() << "at least " << size(window.size()) << " frame " << rect(frame(window)) << Qt::endl;
    walkPages(filewright, QStringLiteral("least"), area);
    walkSheets(filewright, area);
    return 0;
}
