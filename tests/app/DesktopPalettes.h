// The palettes desktops give an application, light and dark, with the
// window, list, text, button and highlight colours as each desktop has them;
// the rest derived as Qt derives it from a button colour.
#pragma once

#include "Appearance.h"

#include <QColor>
#include <QList>
#include <QPalette>
#include <QStringList>

#include <utility>

struct DesktopPalette
{
    const char *name;
    QPalette palette;
};

inline QPalette desktopPalette(quint32 window, quint32 base, quint32 text, quint32 button, quint32 highlight)
{
    const auto rgb = [](quint32 shade) { return QColor::fromRgb(QRgb(0xFF000000u | shade)); };
    QPalette palette(rgb(button), rgb(window));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, rgb(text));
    palette.setColor(QPalette::Base, rgb(base));
    palette.setColor(QPalette::Highlight, rgb(highlight));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    QColor placeholder = rgb(text);
    placeholder.setAlpha(128);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    return palette;
}

inline QList<DesktopPalette> desktopPalettes()
{
    return {
        {"qt6ct darker", desktopPalette(0x222020, 0x3D3D3D, 0xFFFFFF, 0x424245, 0x12608A)},
        {"Adwaita-Dark", desktopPalette(0x353535, 0x2D2D2D, 0xEEEEEC, 0x373737, 0x15539E)},
        {"amber on light", desktopPalette(0xEFEFEF, 0xFFFFFF, 0x000000, 0xEFEFEF, 0xFFB000)},
        {"Fusion light", Appearance::palette(Appearance::Mode::light)},
        {"Fusion dark", Appearance::palette(Appearance::Mode::dark)},
        {"GTK dark Adwaita", desktopPalette(0x242424, 0x1E1E1E, 0xFFFFFF, 0x303030, 0x3584E4)},
        {"Breeze dark", desktopPalette(0x202326, 0x141618, 0xFCFCFC, 0x292C30, 0x3DAEE9)},
    };
}

// qt6ct's colour schemes airy, simple and darker (qt6ct, BSD-2-Clause), every role in every group
// as the scheme gives it: the colours as lists in the order of QPalette's
// roles, as the scheme's files hold them.
inline QPalette qt6ctScheme(const char *active, const char *inactive, const char *disabled)
{
    QPalette palette;
    const std::pair<QPalette::ColorGroup, const char *> groups[] = {
        {QPalette::Active, active}, {QPalette::Inactive, inactive}, {QPalette::Disabled, disabled}};
    for (const auto &[group, colours] : groups) {
        const QStringList names = QString::fromLatin1(colours).split(QStringLiteral(", "));
        for (int role = 0; role < names.size() && role < QPalette::NColorRoles; ++role) {
            if (role != QPalette::NoRole)
                palette.setColor(group, QPalette::ColorRole(role), QColor::fromString(names.at(role)));
        }
    }
    return palette;
}

inline QList<DesktopPalette> qt6ctSchemes()
{
    return {
        {"qt6ct airy",
         qt6ctScheme("#ff000000, #ffdcdcdc, #ffdcdcdc, #ff5e5c5b, #ff646464, #ffe1e1e1, #ff000000, #ff0a0a0a, "
                     "#ff0a0a0a, #ffc8c8c8, #ffffffff, #ffe7e4e0, #ff0986d3, #ff0a0a0a, #ff0986d3, #ffa70b06, "
                     "#ff5c5b5a, #ffffffff, #ff646464, #ff050505, #80000000",
                     "#ff323232, #ffb4b4b4, #ffdcdcdc, #ff5e5c5b, #ff646464, #ffe1e1e1, #ff323232, #ff323232, "
                     "#ff323232, #ff969696, #ffc8c8c8, #ffe7e4e0, #ff0986d3, #ff323232, #ff0986d3, #ffa70b06, "
                     "#ff5c5b5a, #ffffffff, #ff646464, #ff323232, #80000000",
                     "#ffffffff, #ff424245, #ffdcdcdc, #ff5e5c5b, #ff646464, #ffe1e1e1, #ff808080, #ffffffff, "
                     "#ff808080, #ff969696, #ffc8c8c8, #ffe7e4e0, #ff0986d3, #ff808080, #ff0986d3, #ffa70b06, "
                     "#ff5c5b5a, #ffffffff, #ff646464, #ffffffff, #80000000")},
        {"qt6ct simple",
         qt6ctScheme("#ff000000, #ffefebe7, #ffffffff, #ffcbc7c4, #ff9f9d9a, #ffb8b5b2, #ff000000, #ffffffff, "
                     "#ff000000, #ffffffff, #ffefebe7, #ffb1aeab, #ff308cc6, #ffffffff, #ff0000ff, #ffff0000, "
                     "#fff7f5f3, #ff000000, #ffffffdc, #ff000000, #80000000",
                     "#ff000000, #ffefebe7, #ffffffff, #ffcbc7c4, #ff9f9d9a, #ffb8b5b2, #ff000000, #ffffffff, "
                     "#ff000000, #ffffffff, #ffefebe7, #ffb1aeab, #ff308cc6, #ffffffff, #ff0000ff, #ffff0000, "
                     "#fff7f5f3, #ff000000, #ffffffdc, #ff000000, #80000000",
                     "#ffbebebe, #ffefebe7, #ffffffff, #ffcbc7c4, #ff9f9d9a, #ffb8b5b2, #ffbebebe, #ffffffff, "
                     "#ffbebebe, #ffefebe7, #ffefebe7, #ffb1aeab, #ff9f9d9a, #ffffffff, #ff0000ff, #ffff0000, "
                     "#fff7f5f3, #ff000000, #ffffffdc, #ff000000, #80000000")},
        {"qt6ct darker",
         qt6ctScheme("#ffffffff, #ff424245, #ff979797, #ff5e5c5b, #ff302f2e, #ff4a4947, #ffffffff, #ffffffff, "
                     "#ffffffff, #ff3d3d3d, #ff222020, #ffe7e4e0, #ff12608a, #fff9f9f9, #ff0986d3, #ffa70b06, "
                     "#ff5c5b5a, #ffffffff, #ff3f3f36, #ffffffff, #80ffffff",
                     "#ffffffff, #ff424245, #ff979797, #ff5e5c5b, #ff302f2e, #ff4a4947, #ffffffff, #ffffffff, "
                     "#ffffffff, #ff3d3d3d, #ff222020, #ffe7e4e0, #ff12608a, #fff9f9f9, #ff0986d3, #ffa70b06, "
                     "#ff5c5b5a, #ffffffff, #ff3f3f36, #ffffffff, #80ffffff",
                     "#ff808080, #ff424245, #ff979797, #ff5e5c5b, #ff302f2e, #ff4a4947, #ff808080, #ffffffff, "
                     "#ff808080, #ff3d3d3d, #ff222020, #ffe7e4e0, #ff12608a, #ff808080, #ff0986d3, #ffa70b06, "
                     "#ff5c5b5a, #ffffffff, #ff3f3f36, #ffffffff, #80ffffff")},
    };
}

// A light window whose lists' alternate rows (and a calendar's names row)
// are dark grey; text behind another window dims to #323232.
inline QPalette qt6ctAiryScheme()
{
    return qt6ctSchemes().constFirst().palette;
}
