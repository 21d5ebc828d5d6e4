#include "Theme.h"

#include "Appearance.h"
#include "Chip.h"
#include "FocusRing.h"
#include "ThemeStore.h"

#include <QGuiApplication>

namespace {

// What text needs to read on its ground.
constexpr double readable = 4.5;
// Steps from the desktop's highlight to the text colour: fine enough that
// the colour stops close to the contrast it needs, keeping what it can of
// the highlight.
constexpr int steps = 40;

QColor rgb(quint32 shade)
{
    return QColor::fromRgb(QRgb(0xFF000000u | shade));
}

Theme make(const char *id, const char *name, quint32 light, quint32 base, quint32 deep, bool darkText)
{
    return Theme{QString::fromLatin1(id), QString::fromLatin1(name), Theme::Shades{light, base, deep}, darkText};
}

} // namespace

const QList<Theme> &Theme::all()
{
    static const QList<Theme> themes{
        Theme{QStringLiteral("system"), QStringLiteral("System"), std::nullopt, false},
        make("blue", "Blue", 0x7CC0FF, 0x0A84FF, 0x0064D2, false),
        make("indigo", "Indigo", 0xA5ADFF, 0x5E6AD2, 0x4650B8, false),
        make("violet", "Violet", 0xB9A6FF, 0x7B5CFF, 0x6342E6, false),
        make("pink", "Pink", 0xFF9CCB, 0xE84A93, 0xC0306F, false),
        make("red", "Red", 0xFF8A9A, 0xE11D48, 0xBE123C, false),
        make("orange", "Orange", 0xFFB87A, 0xF97316, 0xC2410C, false),
        make("yellow", "Yellow", 0xFFE17A, 0xF5B800, 0x946800, true),
        make("mint", "Mint", 0x8EEBC4, 0x2BC48A, 0x0F7A55, true),
        make("teal", "Teal", 0x8BE9F5, 0x06B6D4, 0x0E7490, true),
        make("graphite", "Graphite", 0xC7C7CC, 0x7C7C84, 0x55555C, false),
    };
    return themes;
}

Theme Theme::byID(const QString &id)
{
    for (const Theme &theme : all()) {
        if (theme.id == id)
            return theme;
    }
    return all().constFirst();
}

std::optional<QColor> Theme::tint() const
{
    if (!shades)
        return std::nullopt;
    return rgb(shades->base);
}

QColor Theme::accent() const
{
    return shades ? rgb(shades->base) : ThemeStore::instance().desktopHighlight();
}

QColor Theme::accentText(const QPalette &palette) const
{
    if (shades)
        return rgb(Appearance::isDark(palette) ? shades->light : shades->deep);
    // A desktop's highlight is made as a fill behind white text, not as
    // text: on a dark window a deep blue one barely shows, on a light one
    // an amber one neither. It is moved towards the text colour until it
    // reads on each ground, and on a chip's capsule of its own colour over
    // each, which is lighter than the ground on a dark one.
    const QList<QColor> grounds = FocusRing::grounds(palette);
    return FocusRing::firstOnTheWay(ThemeStore::instance().desktopHighlight().toRgb(),
                                    palette.color(QPalette::WindowText).toRgb(), steps, [&grounds](const QColor &colour) {
                                        for (const QColor &ground : grounds) {
                                            if (FocusRing::contrast(colour, ground) < readable
                                                || FocusRing::contrast(colour, Chip::capsule(colour, ground)) < readable)
                                                return false;
                                        }
                                        return true;
                                    });
}

QColor Theme::accentText() const
{
    return accentText(QGuiApplication::palette());
}

QColor Theme::onAccent() const
{
    return darkText ? rgb(0x16161C) : QColor(Qt::white);
}
