// Whether bytes are UTF-8 as the Encoding Standard's decoder reads it (no
// overlong forms, no surrogates, nothing above U+10FFFF), told apart from
// bytes that are UTF-8 but for a character their end cuts off, as the end
// of a piece read from a longer file or page does.
#pragma once

#include <QByteArrayView>

enum class Utf8Reading {
    whole,
    cutAtEnd, // whole but for a character that the end of the bytes cuts off
    broken,
};

// cutFrom learns where a character cut off at the end, or the first one that
// is broken, begins: the bytes before it are whole UTF-8.
Utf8Reading readAsUtf8(QByteArrayView bytes, qsizetype &cutFrom);
