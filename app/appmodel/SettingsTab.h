// The tabs of the settings window, in their order.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

enum class SettingsTab { general, names, appearance };

namespace SettingsTabs {
inline constexpr std::array<SettingsTab, 3> allCases{SettingsTab::general, SettingsTab::names, SettingsTab::appearance};
QString rawValue(SettingsTab tab);
std::optional<SettingsTab> fromRawValue(QStringView raw);
QString title(SettingsTab tab);
QString symbol(SettingsTab tab);
} // namespace SettingsTabs
