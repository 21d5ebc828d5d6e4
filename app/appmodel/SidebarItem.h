// The four pages of the main window, in sidebar order.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

enum class SidebarItem { rules, journal, folders, receipts };

namespace SidebarItems {
inline constexpr std::array<SidebarItem, 4> allCases{SidebarItem::rules, SidebarItem::journal, SidebarItem::folders,
                                                      SidebarItem::receipts};
QString rawValue(SidebarItem item);
std::optional<SidebarItem> fromRawValue(QStringView raw);
// The page's title as the sidebar and the "Go" menu show it.
QString title(SidebarItem item);
QString symbol(SidebarItem item);
} // namespace SidebarItems
