// The palettes desktops give an application, light and dark, with the
// window, list, text, button and highlight colours as each desktop has them;
// the rest derived as Qt derives it from a button colour.
#pragma once

#include "Appearance.h"

#include <QColor>
#include <QList>
#include <QPalette>

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

// --- Colour schemes with groups of their own -------------------------------
// qt6ct's colour schemes as its scheme files give them (qt6ct, BSD-2-Clause):
// every role of the active, the inactive and the disabled group, in the
// order of QPalette::ColorRole. Their inactive colours differ from the
// active ones, as a window behind another shows them.
struct SchemeGroups
{
    quint32 active[QPalette::NColorRoles];
    quint32 inactive[QPalette::NColorRoles];
    quint32 disabled[QPalette::NColorRoles];
};

inline QPalette schemePalette(const SchemeGroups &scheme)
{
    QPalette palette;
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colourRole = QPalette::ColorRole(role);
        palette.setColor(QPalette::Active, colourRole, QColor::fromRgba(scheme.active[role]));
        palette.setColor(QPalette::Inactive, colourRole, QColor::fromRgba(scheme.inactive[role]));
        palette.setColor(QPalette::Disabled, colourRole, QColor::fromRgba(scheme.disabled[role]));
    }
    return palette;
}

// A light window whose lists' alternate rows (and a calendar's names row)
// are dark grey; text behind another window dims to #323232.
inline QPalette qt6ctAiryScheme()
{
    return schemePalette({
        {0xff000000, 0xffdcdcdc, 0xffdcdcdc, 0xff5e5c5b, 0xff646464, 0xffe1e1e1, 0xff000000, 0xff0a0a0a, 0xff0a0a0a,
         0xffc8c8c8, 0xffffffff, 0xffe7e4e0, 0xff0986d3, 0xff0a0a0a, 0xff0986d3, 0xffa70b06, 0xff5c5b5a, 0xffffffff,
         0xff646464, 0xff050505, 0x80000000},
        {0xff323232, 0xffb4b4b4, 0xffdcdcdc, 0xff5e5c5b, 0xff646464, 0xffe1e1e1, 0xff323232, 0xff323232, 0xff323232,
         0xff969696, 0xffc8c8c8, 0xffe7e4e0, 0xff0986d3, 0xff323232, 0xff0986d3, 0xffa70b06, 0xff5c5b5a, 0xffffffff,
         0xff646464, 0xff323232, 0x80000000},
        {0xffffffff, 0xff424245, 0xffdcdcdc, 0xff5e5c5b, 0xff646464, 0xffe1e1e1, 0xff808080, 0xffffffff, 0xff808080,
         0xff969696, 0xffc8c8c8, 0xffe7e4e0, 0xff0986d3, 0xff808080, 0xff0986d3, 0xffa70b06, 0xff5c5b5a, 0xffffffff,
         0xff646464, 0xffffffff, 0x80000000},
    });
}
// --- end of the colour schemes with groups of their own --------------------
