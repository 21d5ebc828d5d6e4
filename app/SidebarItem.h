// The four pages of the main window, in the order the sidebar lists them and
// the menu numbers them.
#pragma once

#include <QString>

#include <array>
#include <optional>

enum class SidebarItem { rules, journal, folders, receipts };

namespace SidebarItems {
inline constexpr std::array<SidebarItem, 4> allCases{SidebarItem::rules, SidebarItem::journal, SidebarItem::folders,
                                                     SidebarItem::receipts};

QString rawValue(SidebarItem item);
// The page named exactly by raw (no case folding, no trimming), or none.
std::optional<SidebarItem> fromRawValue(QStringView raw);
} // namespace SidebarItems
