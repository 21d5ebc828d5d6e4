#include "WindowFront.h"

#include <QApplication>
#include <QWidget>

namespace {

// Whether window belongs to owner: owner itself, or a window opened on it,
// or on one opened on it.
bool belongsTo(const QWidget *window, const QWidget *owner)
{
    for (const QWidget *widget = window; widget; widget = widget->parentWidget()) {
        if (widget == owner)
            return true;
    }
    return false;
}

// Whether the shown modal window blocks window, as Qt blocks it: a dialog of
// the whole application every window but its own; a sheet the window it was
// opened on, and those that window was opened on.
bool blocks(const QWidget *modal, const QWidget *window)
{
    if (!modal->isVisible() || belongsTo(window, modal))
        return false;
    switch (modal->windowModality()) {
    case Qt::ApplicationModal:
        return true;
    case Qt::WindowModal:
        return modal->parentWidget() && belongsTo(modal->parentWidget()->window(), window);
    case Qt::NonModal:
        break;
    }
    return false;
}

// A sheet shown on window, if one is.
QWidget *sheetOn(const QWidget *window)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *candidate : windows) {
        if (candidate != window && candidate->isVisible() && candidate->windowModality() == Qt::WindowModal
            && candidate->parentWidget() && candidate->parentWidget()->window() == window)
            return candidate;
    }
    return nullptr;
}

} // namespace

QWidget *WindowFront::keyboardWindow(QWidget *window)
{
    // The modal window opened last is blocked by none.
    QWidget *top = QApplication::activeModalWidget();
    if (top && blocks(top, window))
        return top;
    // Beneath a modal window of another of the application's windows: the
    // window's own sheets, down to the last one opened on a sheet.
    QWidget *front = window;
    while (QWidget *sheet = sheetOn(front))
        front = sheet;
    return front;
}

void WindowFront::bring(QWidget *window)
{
    window->show();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    QWidget *front = keyboardWindow(window);
    if (front != window)
        front->raise();
    front->activateWindow();
}
