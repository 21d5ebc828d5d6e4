// Colours read from pictures of windows: the ground a place shows, and how
// far its strongest pixel stands from a colour.
#pragma once

#include "FocusRing.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>

#include <algorithm>

// The colour most pixels of a place in a picture show.
inline QColor mostOf(const QImage &picture, const QRect &place)
{
    QHash<QRgb, int> counts;
    const QRect inside = place.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[picture.pixel(x, y)];
    }
    const auto most = std::max_element(counts.cbegin(), counts.cend());
    return most == counts.cend() ? QColor() : QColor::fromRgb(most.key());
}

// The contrast of a place's pixel that stands furthest from a colour.
inline double strongest(const QImage &picture, const QRect &place, const QColor &against)
{
    double found = 1;
    const QRect inside = place.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            found = std::max(found, FocusRing::contrast(picture.pixelColor(x, y), against));
    }
    return found;
}
