#include "SidebarItem.h"

#include <QCoreApplication>

namespace SidebarItems {

namespace {
struct Info
{
    const char16_t *raw;
    const char *title;
    const char16_t *symbol;
};

constexpr std::array<Info, 4> table{{
    {u"rules", QT_TRANSLATE_NOOP("SidebarItem", "Rules"), u"list.bullet.rectangle"},
    {u"journal", QT_TRANSLATE_NOOP("SidebarItem", "Journal"), u"clock.arrow.circlepath"},
    {u"folders", QT_TRANSLATE_NOOP("SidebarItem", "Folders"), u"folder"},
    {u"receipts", QT_TRANSLATE_NOOP("SidebarItem", "Receipts"), u"doc.text.magnifyingglass"},
}};
} // namespace

QString rawValue(SidebarItem item)
{
    return QString::fromUtf16(table[static_cast<std::size_t>(item)].raw);
}

std::optional<SidebarItem> fromRawValue(QStringView raw)
{
    for (const SidebarItem item : allCases) {
        if (raw == QStringView(table[static_cast<std::size_t>(item)].raw))
            return item;
    }
    return std::nullopt;
}

QString title(SidebarItem item)
{
    return QCoreApplication::translate("SidebarItem", table[static_cast<std::size_t>(item)].title);
}

QString symbol(SidebarItem item)
{
    return QString::fromUtf16(table[static_cast<std::size_t>(item)].symbol);
}

} // namespace SidebarItems
