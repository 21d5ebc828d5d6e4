#include "JournalList.h"

#include <QFocusEvent>
#include <QMouseEvent>

#include <algorithm>

JournalList::JournalList(QWidget *parent)
    : QTableView(parent)
{
}

void JournalList::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    if (!model)
        return;
    // Rows that come and go can leave the current row on a day row, or on
    // none after the list was read anew: while the keyboard is here, it
    // moves on to an entry at once.
    const auto settle = [this] {
        if (hasFocus())
            settleOnEntry();
    };
    connect(model, &QAbstractItemModel::rowsInserted, this, settle);
    connect(model, &QAbstractItemModel::rowsRemoved, this, settle);
    connect(model, &QAbstractItemModel::modelReset, this, settle);
}

bool JournalList::isEntry(int row) const
{
    return row >= 0 && row < model()->rowCount() && (model()->flags(model()->index(row, 0)) & Qt::ItemIsSelectable);
}

int JournalList::entryFrom(int row, int step) const
{
    for (const int direction : {step, -step}) {
        for (int at = row; at >= 0 && at < model()->rowCount(); at += direction) {
            if (isEntry(at))
                return at;
        }
    }
    return -1;
}

void JournalList::settleOnEntry()
{
    if (!model() || !selectionModel())
        return;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    const int current = currentIndex().row();
    int row = -1;
    if (!selected.isEmpty() && isEntry(selected.constFirst().row()))
        row = selected.constFirst().row();
    else if (isEntry(current))
        row = current;
    else
        row = entryFrom(std::max(current, 0), 1);
    if (row >= 0 && row != current)
        selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

QModelIndex JournalList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // One column: Home and End go to the first and the last row, as in any list.
    if (action == MoveHome || action == MoveEnd)
        modifiers |= Qt::ControlModifier;
    const QModelIndex moved = QTableView::moveCursor(action, modifiers);
    if (!moved.isValid() || isEntry(moved.row()))
        return moved;
    // On past the day row the way the cursor went: a day row stands above
    // its entries, so Down, Page Down and Home go on to the day's first
    // entry, and Up and Page Up to the entry above the day row.
    const bool up = action == MoveUp || action == MovePageUp || action == MovePrevious || action == MoveLeft
        || action == MoveEnd;
    const int row = entryFrom(moved.row(), up ? -1 : 1);
    return row < 0 ? currentIndex() : moved.siblingAtRow(row);
}

void JournalList::focusInEvent(QFocusEvent *event)
{
    // Keys and Tab bring the current row into view; under a click the list
    // stays where it is, and the click places the current row itself.
    const bool scrolls = hasAutoScroll();
    setAutoScroll(scrolls && event->reason() != Qt::MouseFocusReason);
    settleOnEntry();
    setAutoScroll(scrolls);
    QTableView::focusInEvent(event);
}

void JournalList::mousePressEvent(QMouseEvent *event)
{
    // A click on a day row takes the focus but leaves the current row and
    // the selection as they were.
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (pressed.isValid() && !isEntry(pressed.row())) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}
