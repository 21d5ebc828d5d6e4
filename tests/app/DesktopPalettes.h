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
