// What the condition and action rows share: a Remove button at the end, and
// a context menu and Alt+Up / Alt+Down to move the row within its list. On a
// drop-down Alt+Down opens its list, as on every other drop-down, and
// Alt+Up closes an open list; on a closed one it moves the row. The row never
// removes or moves itself; it asks the editor.
#pragma once

#include "ContextMenuKeys.h"
#include "WrappingRow.h"

#include <QUuid>
#include <QWidget>

class QComboBox;
class QToolButton;

class RuleRow : public QWidget
{
    Q_OBJECT

public:
    // The least width of a row's text field, in characters of its font:
    // enough to show a template or a folder.
    static constexpr int valueCharacters = 20;

    // The id of the condition or action the row shows.
    virtual QUuid itemID() const = 0;
    QToolButton *removeButton() const { return m_remove; }
    // The controls Tab stops at, as they stand from left to right, Remove last;
    // hidden ones too, so that they are in place when they show.
    QList<QWidget *> tabStops() const;

Q_SIGNALS:
    void removeRequested(const QUuid &id);
    // delta −1: one place up, 1: one place down.
    void moveRequested(const QUuid &id, int delta);

protected:
    explicit RuleRow(QWidget *parent = nullptr);
    // The row's controls go here, before the Remove button; where the width
    // runs out they go on over a second line.
    WrappingRow *controls() const { return m_controls; }
    // Tab goes through the controls as they stand from left to right and
    // then to Remove; call it after controls were added.
    void orderTabs();
    // The Menu key and Shift+F10 on the row's controls (but for a text
    // field, which has its own edit menu), or a click with the secondary
    // button, open the row's menu. A focused drop-down keeps Alt+Down.
    bool event(QEvent *event) override;

private:
    // The drop-down of the row whose list is open, if one is.
    QComboBox *openDropDown() const;
    // The row's menu at globalPosition; from the keyboard (a null
    // position) under the focused control.
    void showContextMenu(QPoint globalPosition);

    WrappingRow *m_controls = nullptr;
    QToolButton *m_remove = nullptr;
    ContextMenuKeys m_menuKeys;
};
