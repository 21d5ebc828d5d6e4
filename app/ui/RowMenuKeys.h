// The Menu key and Shift+F10 on a table whose context menu is its own
// actions (Qt::ActionsContextMenu): they open that menu at the current row,
// as a click with the secondary button opens it at the row clicked. An open
// cell's text field keeps the keys for its own edit menu.
#pragma once

#include "ContextMenuKeys.h"

#include <QObject>

class QAbstractItemView;

class RowMenuKeys : public QObject
{
public:
    // Watches view, which owns it.
    explicit RowMenuKeys(QAbstractItemView *view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The menu at globalPosition; from the keyboard (a null position) at
    // the current row if it is selected, else at a selected row; with no
    // row selected, none.
    void showMenu(QPoint globalPosition);

    QAbstractItemView *const m_view;
    ContextMenuKeys m_keys;
};
