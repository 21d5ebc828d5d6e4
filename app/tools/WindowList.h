// The application's top-level windows in the order they were first shown,
// and what the test modes ask of them: which is a sheet (a window-modal
// dialog on another window), which can be the main window.
#pragma once

#include <QList>

class QWidget;

namespace WindowList {

// Top-level widgets, those shown at some time first, in the order their
// native windows were made; the others after them. Popups and tool tips are
// left out.
QList<QWidget *> ordered();

bool isSheet(const QWidget *window);
// A normal top-level window: neither a dialog nor a popup or tool window.
bool canBecomeMain(const QWidget *window);

// The first window that can become the main window and is not a sheet; null
// when there is none.
QWidget *mainWindow();
// The first visible sheet; null when none shows.
QWidget *visibleSheet();

} // namespace WindowList
