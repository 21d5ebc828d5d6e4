// Bytes in a character set turned into text a piece at a time: a character
// split between pieces comes out whole with the later piece, and a broken
// sequence becomes one U+FFFD without taking the byte after it along, however
// the pieces are cut. In the legacy multi-byte sets (Shift_JIS, GBK ...) an
// ASCII byte after a lead byte that makes no character with it stays a
// character of its own. (Qt's stateful UTF-8 decoder drops the byte that
// follows an incomplete sequence at the end of a piece.)
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

struct UConverter;

class TextDecoder
{
public:
    // A decoder for the character set of that name (any name ICU knows);
    // isValid() is false for a name it does not know.
    explicit TextDecoder(const char *characterSet);
    ~TextDecoder();
    TextDecoder(TextDecoder &&) noexcept;
    TextDecoder &operator=(TextDecoder &&) noexcept;

    bool isValid() const { return bool(m_converter); }
    // The character set by the name its converter goes by.
    QByteArray name() const;

    // True when every printable ASCII character, the tab and the line
    // breaks decode as themselves, as a web page's markup needs.
    bool isAsciiCompatible() const { return m_converter && m_asciiCompatible; }

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
    std::unique_ptr<UConverter, Closer> m_converter;
    bool m_asciiCompatible = false;
};
