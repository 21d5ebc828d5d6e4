#include "SidebarItem.h"

namespace SidebarItems {

QString rawValue(SidebarItem item)
{
    switch (item) {
    case SidebarItem::rules:
        return QStringLiteral("rules");
    case SidebarItem::journal:
        return QStringLiteral("journal");
    case SidebarItem::folders:
        return QStringLiteral("folders");
    case SidebarItem::receipts:
        return QStringLiteral("receipts");
    }
    return QStringLiteral("rules");
}

std::optional<SidebarItem> fromRawValue(QStringView raw)
{
    for (const SidebarItem item : allCases) {
        if (raw == rawValue(item))
            return item;
    }
    return std::nullopt;
}

} // namespace SidebarItems
