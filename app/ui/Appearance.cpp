#include "Appearance.h"

#include "FocusRingStyle.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include <memory>

namespace Appearance {

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

bool isDark()
{
    return isDark(QGuiApplication::palette());
}

QPalette active(QPalette palette)
{
    palette.setCurrentColorGroup(QPalette::Active);
    return palette;
}

QPalette palette(Mode mode)
{
    if (mode == Mode::light) {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette light = fusion->standardPalette();
        light.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 128));
        return light;
    }
    const QColor window(0x2B, 0x2B, 0x2E);
    const QColor base(0x1E, 0x1E, 0x21);
    const QColor text(0xEC, 0xEC, 0xEE);
    const QColor disabledText(0x80, 0x80, 0x84);
    QPalette dark;
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x37));
    dark.setColor(QPalette::ToolTipBase, QColor(0x3A, 0x3A, 0x3E));
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0xEC, 0xEC, 0xEE, 128));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3E));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, QColor(0xFF, 0x6B, 0x6B));
    dark.setColor(QPalette::Light, QColor(0x4A, 0x4A, 0x4F));
    dark.setColor(QPalette::Midlight, QColor(0x3F, 0x3F, 0x44));
    dark.setColor(QPalette::Mid, QColor(0x26, 0x26, 0x29));
    dark.setColor(QPalette::Dark, QColor(0x16, 0x16, 0x18));
    dark.setColor(QPalette::Shadow, QColor(0x0A, 0x0A, 0x0B));
    dark.setColor(QPalette::Highlight, QColor(0x2F, 0x7B, 0xE0));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x6C, 0xB4, 0xFF));
    dark.setColor(QPalette::LinkVisited, QColor(0xB0, 0x8C, 0xFF));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, disabledText);
    dark.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x50, 0x50, 0x54));
    return dark;
}

void apply(Mode mode)
{
    FocusRingStyle::install(QStringLiteral("Fusion"));
    QApplication::setPalette(palette(mode));
}

} // namespace Appearance
