// The accent themes: a fixed table of eleven, each with its id (the stored
// choice), its name (never translated) and three shades, except "system",
// which wears the desktop's own highlight colour.
#pragma once

#include <QColor>
#include <QList>
#include <QPalette>
#include <QString>

#include <optional>

struct Theme
{
    struct Shades
    {
        quint32 light = 0; // 0xRRGGBB, pale: accent text on dark backgrounds
        quint32 base = 0;  // the theme's colour: fills and the highlight
        quint32 deep = 0;  // dark: accent text on light backgrounds
        bool operator==(const Shades &) const = default;
    };

    QString id;
    QString name;
    std::optional<Shades> shades; // none only for "system"
    bool darkText = false;        // marks on an accent fill are dark, not white

    bool operator==(const Theme &) const = default;

    // The eleven themes in the order the appearance settings show them.
    static const QList<Theme> &all();
    // The theme with that id; "system" for any id that names none.
    static Theme byID(const QString &id);

    // The base shade; none for "system".
    std::optional<QColor> tint() const;
    // Fills: the base shade, or the desktop's highlight for "system".
    QColor accent() const;
    // Text and symbols: the deep shade on light backgrounds, the light shade
    // on dark ones. For "system" the desktop's highlight, moved towards the
    // palette's text colour just as far as it takes to read 4.5:1 on the
    // window, a list and a card, and on a chip's capsule over each.
    QColor accentText(const QPalette &palette) const;
    QColor accentText() const;
    // Text and marks drawn on an accent fill.
    QColor onAccent() const;
};
