// The main window's sidebar: the four pages in order, each with its symbol,
// title and a badge (a count; 0 shows nothing).
#pragma once

#include "SidebarItem.h"

#include <QListWidget>

#include <optional>

class Sidebar : public QListWidget
{
    Q_OBJECT

public:
    explicit Sidebar(QWidget *parent = nullptr);

    // Highlights the row of the item; with none, no row is highlighted and
    // the current row stays where the keyboard left it.
    void select(std::optional<SidebarItem> item);
    void setBadge(SidebarItem item, int count);
    int badge(SidebarItem item) const;

Q_SIGNALS:
    // The user chose a row, or none.
    void chosen(std::optional<SidebarItem> item);
};
