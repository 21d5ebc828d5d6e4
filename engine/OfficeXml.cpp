#include "OfficeXml.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Longer references than this are none ("&" is then just a character).
constexpr qsizetype maxReferenceBytes = 12;

bool isNameEnd(char c)
{
    return isSpace(c) || c == '>' || c == '/' || c == '=';
}

// Bytes 1 to 127: characters of their own in UTF-8, and none of them NUL.
bool isPlainAscii(QByteArrayView bytes)
{
    bool plain = true;
    for (const char c : bytes)
        plain &= unsigned(static_cast<unsigned char>(c)) - 1u < 0x7Fu;
    return plain;
}

// The bytes after an "&" make a reference when a ";" ends them within the
// longest reference, before a space, "<" or "&". Returns where the text goes
// on when they make none (the "&" is then a character), and null when they
// may make one, also when the bytes end before that is known.
const char *afterNoReference(const char *from, const char *end)
{
    const qsizetype window = std::min<qsizetype>(end - from, maxReferenceBytes + 1);
    for (const char *q = from; q < from + window; ++q) {
        if (*q == ';')
            return nullptr;
        if (isSpace(*q) || *q == '<' || *q == '&')
            return q;
    }
    return window <= maxReferenceBytes ? nullptr : from + window;
}

// Characters gathered up to this many are handed on in one piece.
constexpr qsizetype flushUnits = 64 * 1024;

const char *find(const char *from, const char *end, char c)
{
    const void *found = std::memchr(from, c, std::size_t(end - from));
    return found ? static_cast<const char *>(found) : end;
}

void appendCapped(QByteArray &to, const char *from, const char *end, qsizetype cap)
{
    to.append(from, std::min<qsizetype>(end - from, std::max<qsizetype>(0, cap - to.size())));
}

} // namespace

OfficeXml::OfficeXml(Handler &handler) : m_handler(handler) {}

QByteArrayView OfficeXml::attribute(QByteArrayView name) const
{
    for (int i = 0; i < m_attributeCount; ++i) {
        if (m_attributes[std::size_t(i)].name == name)
            return m_attributes[std::size_t(i)].value;
    }
    return {};
}

OfficeXml::Attribute &OfficeXml::currentAttribute()
{
    return m_keepAttribute ? m_attributes[std::size_t(m_attributeCount)] : m_spare;
}

void OfficeXml::text(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (isPlainAscii(bytes) && !m_decoderHoldsPart) {
        m_characters.append(QLatin1StringView(bytes));
    } else {
        QString decoded = m_decoder.decode(bytes);
        m_decoderHoldsPart = m_decoder.holdsPart();
        decoded.remove(QChar(0));
        m_characters.append(decoded);
    }
    if (m_characters.size() >= flushUnits)
        flush();
}

void OfficeXml::repeat(char c, qsizetype count)
{
    m_characters.resize(m_characters.size() + count, QLatin1Char(c));
    if (m_characters.size() >= flushUnits)
        flush();
}

void OfficeXml::endText()
{
    if (m_decoderHoldsPart) {
        m_characters.append(m_decoder.finish());
        m_decoderHoldsPart = false;
    }
}

void OfficeXml::appendName(const char *from, const char *end)
{
    // Names are short: a plain loop copies them soonest.
    for (const char *q = from; q < end && m_nameSize < maxNameBytes; ++q)
        m_name[std::size_t(m_nameSize++)] = *q;
}

void OfficeXml::flush()
{
    if (m_characters.isEmpty())
        return;
    m_handler.characters(m_characters);
    m_characters.resize(0);
}

void OfficeXml::endReference()
{
    static const std::pair<QByteArrayView, char16_t> named[]{
        {"lt", u'<'}, {"gt", u'>'}, {"amp", u'&'}, {"quot", u'"'}, {"apos", u'\''}};
    for (const auto &[name, character] : named) {
        if (m_reference == name) {
            m_characters.append(QChar(character));
            return;
        }
    }
    if (m_reference.size() > 1 && m_reference.startsWith('#')) {
        const bool hex = m_reference.at(1) == 'x';
        bool ok = false;
        const uint code = m_reference.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        const char32_t character =
            ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) ? char32_t(code) : U'\uFFFD';
        m_characters.append(QString::fromUcs4(&character, 1));
        return;
    }
    // No reference an office document uses: the text as written.
    repeat('&', 1);
    text(m_reference);
    endText();
    repeat(';', 1);
}

void OfficeXml::startTag(bool empty)
{
    m_handler.startElement(name(), *this);
    if (empty)
        m_handler.endElement(name());
    m_state = State::text;
}

void OfficeXml::feed(QByteArrayView chunk)
{
    const char *p = chunk.data();
    const char *const end = p + chunk.size();
    while (p < end) {
        const char c = *p;
        switch (m_state) {
        case State::text: {
            // An "&" that can start no reference is text like any other
            // character, and the run goes on: most plainly when no ";" is in
            // reach.
            const char *stop = p;
            const char *semicolon = p;
            for (;;) {
                while (stop < end && *stop != '<' && *stop != '&')
                    ++stop;
                if (stop == end || *stop == '<')
                    break;
                // Of a run of "&", all but the last are followed by "&".
                while (stop + 1 < end && stop[1] == '&')
                    ++stop;
                if (semicolon <= stop)
                    semicolon = find(stop, end, ';');
                if (semicolon - stop > maxReferenceBytes + 1 && end - stop > maxReferenceBytes + 1) {
                    // No "&" this far from the next ";" starts a reference:
                    // up to there only a "<" ends the run.
                    const char *const reach = semicolon - (maxReferenceBytes + 1);
                    stop = find(stop + 1, reach, '<');
                    if (stop < reach)
                        break;
                    continue;
                }
                const char *const next = afterNoReference(stop + 1, end);
                if (!next)
                    break;
                stop = next;
            }
            text(QByteArrayView(p, stop - p));
            p = stop;
            if (p < end) {
                endText();
                if (*p == '<')
                    flush();
                m_state = *p == '<' ? State::tagOpen : State::reference;
                if (m_state == State::reference)
                    m_reference.resize(0);
                ++p;
            }
            break;
        }
        case State::reference:
            if (c == ';') {
                endReference();
                m_state = State::text;
                ++p;
            } else if (m_reference.size() < maxReferenceBytes && !isSpace(c) && c != '<' && c != '&') {
                m_reference.append(c);
                ++p;
            } else {
                text(QByteArrayView("&"));
                text(m_reference);
                m_state = State::text; // the character is read again as text
            }
            break;
        case State::tagOpen:
            m_nameSize = 0;
            if (c == '/') {
                m_state = State::endName;
                ++p;
            } else if (c == '?') {
                m_marks = 0;
                m_state = State::processing;
                ++p;
            } else if (c == '!') {
                m_markup.resize(0);
                m_state = State::markup;
                ++p;
            } else {
                m_attributeCount = 0;
                m_state = State::startName;
            }
            break;
        case State::startName:
        case State::endName: {
            const char *stop = p;
            while (stop < end && !isNameEnd(*stop))
                ++stop;
            appendName(p, stop);
            p = stop;
            if (p < end)
                m_state = m_state == State::startName ? State::inTag : State::endTag;
            break;
        }
        case State::endTag:
            p = find(p, end, '>');
            if (p < end) {
                m_handler.endElement(name());
                m_state = State::text;
                ++p;
            }
            break;
        case State::inTag:
            if (c == '>') {
                startTag(false);
            } else if (c == '/') {
                m_state = State::selfClosing;
            } else if (!isSpace(c)) {
                m_keepAttribute = m_attributeCount < maxAttributes;
                currentAttribute().name.resize(0);
                currentAttribute().value.resize(0);
                m_state = State::attributeName;
                break; // the character begins the name
            }
            ++p;
            break;
        case State::selfClosing:
            if (c == '>') {
                startTag(true);
                ++p;
            } else {
                m_state = State::inTag;
            }
            break;
        case State::attributeName: {
            const char *stop = p;
            while (stop < end && !isNameEnd(*stop))
                ++stop;
            appendCapped(currentAttribute().name, p, stop, maxNameBytes);
            p = stop;
            if (p < end)
                m_state = State::afterAttributeName;
            break;
        }
        case State::afterAttributeName:
            if (c == '=') {
                m_state = State::beforeValue;
                ++p;
            } else if (isSpace(c)) {
                ++p;
            } else {
                m_state = State::inTag; // an attribute without a value
            }
            break;
        case State::beforeValue:
            if (c == '"' || c == '\'') {
                m_quote = c;
                m_state = State::value;
                ++p;
            } else if (isSpace(c)) {
                ++p;
            } else {
                m_state = State::inTag;
            }
            break;
        case State::value: {
            const char *stop = find(p, end, m_quote);
            appendCapped(currentAttribute().value, p, stop, maxValueBytes);
            p = stop;
            if (p < end) {
                const Attribute &attribute = currentAttribute();
                if (attribute.name == "xmlns")
                    m_handler.namespaceDeclared({}, attribute.value);
                else if (attribute.name.startsWith("xmlns:"))
                    m_handler.namespaceDeclared(QByteArrayView(attribute.name).sliced(6), attribute.value);
                if (m_keepAttribute)
                    ++m_attributeCount;
                m_state = State::inTag;
                ++p;
            }
            break;
        }
        case State::markup:
            m_markup.append(c);
            ++p;
            if (m_markup == "--") {
                m_marks = 0;
                m_state = State::comment;
            } else if (m_markup == "[CDATA[") {
                m_marks = 0;
                m_state = State::cdata;
            } else if (!QByteArrayView("--").startsWith(m_markup) && !QByteArrayView("[CDATA[").startsWith(m_markup)) {
                m_depth = 0;
                m_state = State::declaration;
                --p; // read the character again as part of the declaration
            }
            break;
        case State::comment:
        case State::processing: {
            // A comment ends at "-->", a processing instruction at "?>",
            // whatever ">" come before.
            const char mark = m_state == State::comment ? '-' : '?';
            const int needed = m_state == State::comment ? 2 : 1;
            const char *gt = find(p, end, '>');
            const char *q = gt;
            int marks = 0;
            while (marks < needed && q > p && q[-1] == mark) {
                --q;
                ++marks;
            }
            m_marks = q == p ? std::min(needed, m_marks + marks) : marks;
            p = gt;
            if (p < end) {
                if (m_marks >= needed)
                    m_state = State::text;
                m_marks = 0;
                ++p;
            }
            break;
        }
        case State::cdata:
            if (m_marks == 0) {
                const char *stop = find(p, end, ']');
                text(QByteArrayView(p, stop - p));
                p = stop;
                if (p < end) {
                    endText();
                    m_marks = 1;
                    ++p;
                }
            } else if (c == ']') {
                // Of a run of "]", all but the last two are text.
                const char *stop = p;
                while (stop < end && *stop == ']')
                    ++stop;
                const qsizetype marks = m_marks + (stop - p);
                repeat(']', std::max<qsizetype>(0, marks - 2));
                m_marks = int(std::min<qsizetype>(2, marks));
                p = stop;
            } else if (c == '>' && m_marks == 2) {
                m_marks = 0;
                m_state = State::text;
                ++p;
            } else {
                repeat(']', m_marks);
                m_marks = 0;
            }
            break;
        case State::declaration:
            if (c == '[')
                ++m_depth;
            else if (c == ']')
                m_depth = std::max(0, m_depth - 1);
            else if (c == '>' && m_depth == 0)
                m_state = State::text;
            ++p;
            break;
        }
    }
    flush();
}
