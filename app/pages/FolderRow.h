// One stored folder on the folders page: its icon, name and "~" path, and the
// controls its state allows (choose it again, or watching and subfolders).
#pragma once

#include "Models.h"

#include <QWidget>

class AppModel;

class FolderRow : public QWidget
{
    Q_OBJECT

public:
    // watched: the row stands among the watched folders, not the places.
    FolderRow(AppModel &model, const WatchedFolder &folder, bool watched, QWidget *parent = nullptr);

private:
    void addControls();

    AppModel &m_model;
    const WatchedFolder m_folder;
    const bool m_watched;
};
