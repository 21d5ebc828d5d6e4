// The XML inside an office document (a word-processing or OpenDocument
// text), read as a stream a chunk at a time: the start and end of each
// element with its name as written ("w:t", "text:p"), the first few of its
// attributes, and its character data with references decoded. Comments,
// processing instructions, CDATA sections and a document type are understood
// wherever a chunk splits them.
//
// It checks no well-formedness and keeps no stack of open elements, so that
// its memory stays the same however deep the elements nest, however long a
// comment, attribute or run of text is, and however many attributes an
// element has; time grows with the input alone.
#pragma once

#include "TextDecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>

class OfficeXml
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        // `reader` answers attribute() for this element during the call.
        virtual void startElement(QByteArrayView name, const OfficeXml &reader) = 0;
        // Also right after the start of an empty element ("<w:tab/>").
        virtual void endElement(QByteArrayView name) = 0;
        // Character data in pieces: a long run comes in several calls.
        virtual void characters(QStringView text) = 0;
        // A namespace declaration ("xmlns:w=...", "xmlns=...") of the element
        // whose start follows, however many attributes come before it: the
        // prefix (empty for the default namespace) and the first
        // maxValueBytes bytes of the namespace's name.
        virtual void namespaceDeclared(QByteArrayView prefix, QByteArrayView name)
        {
            Q_UNUSED(prefix);
            Q_UNUSED(name);
        }
    };

    // Names and attribute values longer than this are cut (a name that long
    // is no name a reader looks for), and attributes after the first
    // `maxAttributes` of an element are skipped.
    static constexpr qsizetype maxNameBytes = 64;
    static constexpr qsizetype maxValueBytes = 64;
    static constexpr int maxAttributes = 16;

    explicit OfficeXml(Handler &handler);

    // Reads the next chunk; chunks may split anything anywhere.
    void feed(QByteArrayView chunk);

    // The value of the current element's attribute of that name as written
    // (its first maxValueBytes bytes, references not decoded); empty when
    // it has none.
    QByteArrayView attribute(QByteArrayView name) const;
    // The current element's attributes one by one (the first
    // maxAttributes): names and values as written, cut as above.
    int attributeCount() const { return m_attributeCount; }
    QByteArrayView attributeName(int index) const { return m_attributes[std::size_t(index)].name; }
    QByteArrayView attributeValue(int index) const { return m_attributes[std::size_t(index)].value; }

private:
    enum class State {
        text,
        reference,
        tagOpen,
        markup,      // after "<!", until it tells a comment, CDATA or a declaration apart
        comment,
        cdata,
        declaration, // a document type, with its internal subset
        processing,  // "<?" up to "?>"
        startName,
        endName,
        inTag,
        selfClosing, // "/" inside a start tag
        attributeName,
        afterAttributeName,
        beforeValue,
        value,
        endTag, // after an end tag's name, up to ">"
    };

    struct Attribute
    {
        QByteArray name;
        QByteArray value;
    };

    // Character data as written: decoded, without NUL characters (which no
    // XML holds), and gathered to be handed on in one piece.
    void text(QByteArrayView bytes);
    // Characters that one character repeated stands for.
    void repeat(char c, qsizetype count);
    // A run of character data has ended: a character it left unfinished is
    // broken.
    void endText();
    // Adds the bytes to the element's name, as far as it has room.
    void appendName(const char *from, const char *end);
    // Hands on the characters gathered.
    void flush();
    void endReference();
    void startTag(bool empty);

    Handler &m_handler;
    State m_state = State::text;
    TextDecoder m_decoder{"UTF-8"};
    bool m_decoderHoldsPart = false; // as the decoder said when it last decoded
    // Characters not yet handed on: runs of text broken up by references
    // that are none ("&&&", "x&x&") or by "]" in CDATA go on in one piece,
    // not a piece per character.
    QString m_characters;
    // The name of the element being read, cut at maxNameBytes.
    std::array<char, maxNameBytes> m_name{};
    qsizetype m_nameSize = 0;
    QByteArrayView name() const { return {m_name.data(), m_nameSize}; }
    QByteArray m_reference;
    QByteArray m_markup;
    // The attribute being read: one of the first few, else the spare one.
    Attribute &currentAttribute();

    std::array<Attribute, maxAttributes> m_attributes;
    Attribute m_spare;
    int m_attributeCount = 0;
    bool m_keepAttribute = false; // the attribute being read is among the first few
    char m_quote = 0;
    int m_marks = 0; // dashes before a comment's end, "]" before a CDATA end, "?" before ">"
    int m_depth = 0; // "[" open in a declaration
};
