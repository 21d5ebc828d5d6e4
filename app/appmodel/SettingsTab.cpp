#include "SettingsTab.h"

#include <QCoreApplication>

namespace SettingsTabs {

namespace {
struct Info
{
    const char16_t *raw;
    const char *title;
    const char16_t *symbol;
};

constexpr std::array<Info, 3> table{{
    {u"general", QT_TRANSLATE_NOOP("SettingsTab", "General"), u"gearshape"},
    {u"names", QT_TRANSLATE_NOOP("SettingsTab", "Names"), u"character.cursor.ibeam"},
    {u"appearance", QT_TRANSLATE_NOOP("SettingsTab", "Appearance"), u"paintpalette"},
}};
} // namespace

QString rawValue(SettingsTab tab)
{
    return QString::fromUtf16(table[static_cast<std::size_t>(tab)].raw);
}

std::optional<SettingsTab> fromRawValue(QStringView raw)
{
    for (const SettingsTab tab : allCases) {
        if (raw == QStringView(table[static_cast<std::size_t>(tab)].raw))
            return tab;
    }
    return std::nullopt;
}

QString title(SettingsTab tab)
{
    return QCoreApplication::translate("SettingsTab", table[static_cast<std::size_t>(tab)].title);
}

QString symbol(SettingsTab tab)
{
    return QString::fromUtf16(table[static_cast<std::size_t>(tab)].symbol);
}

} // namespace SettingsTabs
