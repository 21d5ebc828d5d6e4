#include "WindowList.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace WindowList {

QList<QWidget *> ordered()
{
    const QList<QWindow *> natives = QGuiApplication::allWindows();
    QList<QWidget *> windows;
    const QList<QWidget *> widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        const Qt::WindowType type = widget->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop)
            continue;
        windows.append(widget);
    }
    const auto rank = [&natives](const QWidget *widget) {
        const qsizetype index = widget->windowHandle() ? natives.indexOf(widget->windowHandle()) : -1;
        return index < 0 ? natives.size() : index;
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&rank](const QWidget *a, const QWidget *b) { return rank(a) < rank(b); });
    return windows;
}

bool isSheet(const QWidget *window)
{
    return qobject_cast<const QDialog *>(window) && window->parentWidget() != nullptr
        && window->windowModality() == Qt::WindowModal;
}

bool canBecomeMain(const QWidget *window)
{
    const Qt::WindowType type = window->windowType();
    return (type == Qt::Window || type == Qt::Widget) && !qobject_cast<const QDialog *>(window);
}

QWidget *mainWindow()
{
    const QList<QWidget *> windows = ordered();
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [](const QWidget *window) { return canBecomeMain(window) && !isSheet(window); });
    return found == windows.end() ? nullptr : *found;
}

QWidget *visibleSheet()
{
    const QList<QWidget *> windows = ordered();
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [](const QWidget *window) { return isSheet(window) && window->isVisible(); });
    return found == windows.end() ? nullptr : *found;
}

} // namespace WindowList
