// The journal page's list. Day rows head the entries of each day and are no
// place for the keyboard: the current row, where the ring shows and Return
// and the Menu key act, is always an entry. Entries are the rows the model
// lets the user select.
#pragma once

#include <QTableView>

class JournalList : public QTableView
{
    Q_OBJECT

public:
    explicit JournalList(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;

    // Puts the current row on an entry: the selected one, else the current
    // row when it is an entry, else the first entry after it (the first of
    // all when there is no current row), else the last before it.
    void settleOnEntry();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool isEntry(int row) const;
    // The nearest entry from row on in the direction of step (1 down, -1
    // up), else in the other direction; -1 when there is none.
    int entryFrom(int row, int step) const;
};
