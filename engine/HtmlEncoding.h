// Decoding a web page's bytes as a browser does: a byte order mark decides,
// else the character set the page declares near its start ("<meta
// charset=...>" or a content type with "charset="), else UTF-8. Legacy sets
// (windows-1252, ISO-8859-15, ...) are decoded with ICU's converters; the
// labels ISO-8859-1, Latin-1 and ASCII mean windows-1252, as on the web.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <memory>
#include <optional>

struct UConverter;

class HtmlDecoder
{
public:
    // How many bytes at the page's start are searched for a declaration.
    static constexpr qsizetype prescanBytes = 1024;

    // Chooses the character set from the page's first bytes.
    explicit HtmlDecoder(QByteArrayView start);
    ~HtmlDecoder();
    HtmlDecoder(const HtmlDecoder &) = delete;
    HtmlDecoder &operator=(const HtmlDecoder &) = delete;

    // The text of the next chunk; a character split between chunks comes
    // out whole with the later one.
    QString decode(QByteArrayView chunk);

    // The character set chosen, by the name its converter goes by.
    QByteArray characterSet() const { return m_name; }

    // The character set a page's first bytes declare, as written; empty
    // when they declare none.
    static QByteArray declaredCharacterSet(QByteArrayView start);

private:
    struct ConverterCloser
    {
        void operator()(UConverter *converter) const;
    };

    QByteArray m_name;
    std::optional<QStringDecoder> m_unicode;
    std::unique_ptr<UConverter, ConverterCloser> m_legacy;
};
