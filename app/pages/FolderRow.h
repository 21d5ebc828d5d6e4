// One stored folder on the folders page: its icon, name and "~" path, and the
// controls its state allows (choose it again, or watching and subfolders).
// A row without controls takes the keyboard focus itself; on the row or any
// of its controls, the Menu key and Shift+F10 open the row's context menu.
#pragma once

#include "ContextMenuKeys.h"
#include "Models.h"

#include <QWidget>

class AppModel;

class FolderRow : public QWidget
{
    Q_OBJECT

public:
    // Room on either side of the row's content for its focus ring.
    static constexpr int focusRoom = 6;

    // watched: the row stands among the watched folders, not the places.
    FolderRow(AppModel &model, const WatchedFolder &folder, bool watched, QWidget *parent = nullptr);

    const WatchedFolder &folder() const { return m_folder; }
    // What Tab reaches in the row, in screen order: its controls, or the row itself.
    QList<QWidget *> tabStops() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void addControls();
    // The context menu at globalPosition; from the keyboard (a null
    // position) under the focused control or the row's name.
    void showContextMenu(QPoint globalPosition);

    AppModel &m_model;
    const WatchedFolder m_folder;
    const bool m_watched;
    QList<QWidget *> m_controls;
    ContextMenuKeys m_menuKeys;
};
