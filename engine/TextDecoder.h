// Bytes in a character set turned into text a piece at a time: a character
// split between pieces comes out whole with the later piece, and a broken
// sequence becomes one U+FFFD without taking the byte after it along, however
// the pieces are cut. The legacy sets of the web (Shift_JIS, gb18030,
// windows-1252 ...) decode as the Encoding Standard decodes them, by
// LegacyDecoder; UTF-8, UTF-16 and any other set by ICU's converters. (Qt's
// stateful UTF-8 decoder drops the byte that follows an incomplete sequence
// at the end of a piece.)
#pragma once

#include "LegacyDecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

struct UConverter;

class TextDecoder
{
public:
    // A decoder for the character set of that name: a legacy set by its
    // name in the Encoding Standard, any other by a name ICU knows;
    // isValid() is false for a name neither knows.
    explicit TextDecoder(const char *characterSet);
    ~TextDecoder();
    TextDecoder(TextDecoder &&) noexcept;
    TextDecoder &operator=(TextDecoder &&) noexcept;

    bool isValid() const { return m_legacy || m_converter; }
    // The character set by its name in the Standard, or the name its ICU
    // converter goes by.
    QByteArray name() const;

    // True when every printable ASCII character, the tab and the line
    // breaks decode as themselves, as a web page's markup needs.
    bool isAsciiCompatible() const { return m_legacy || (m_converter && m_asciiCompatible); }

    // The text of the next piece; an incomplete character at its end is
    // held back for the next.
    QString decode(QByteArrayView bytes);
    // The bytes have ended, or nothing that follows can continue a
    // character: what is held back becomes U+FFFD.
    QString finish();
    // Whether an incomplete character is held back.
    bool holdsPart() const;

private:
    QString convert(QByteArrayView bytes, bool flush);

    struct Closer
    {
        void operator()(UConverter *converter) const;
    };
    std::optional<LegacyDecoder> m_legacy;
    std::unique_ptr<UConverter, Closer> m_converter;
    bool m_asciiCompatible = false;
};
