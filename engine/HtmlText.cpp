#include "HtmlText.h"

#include "DocumentText.h"
#include "HtmlReferences.h"
#include "TextBudget.h"

#include <algorithm>
#include <array>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Longer references than this are no reference ("&" is then just a character).
constexpr qsizetype maxReferenceLength = 32;

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiLetterOrDigit(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

// The white space that HTML collapses (not the no-break space).
bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

QChar lower(QChar c)
{
    return (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
}

QString text(const HtmlReferences::Reference &reference)
{
    const char32_t points[]{reference.first, reference.second};
    return QString::fromUcs4(points, reference.second == 0 ? 1 : 2);
}

// What a numeric reference ("#65", "#x41") stands for; a null string when it
// is none.
QString decodedNumber(const QString &reference)
{
    if (!reference.startsWith(u'#'))
        return {};
    const bool hex = reference.size() > 1 && lower(reference[1]) == u'x';
    const QStringView digits = QStringView(reference).sliced(hex ? 2 : 1);
    if (digits.isEmpty())
        return {};
    char32_t code = 0;
    for (const QChar c : digits) {
        const int digit = c.isDigit() ? c.digitValue() : (hex && lower(c) >= u'a' && lower(c) <= u'f')
                                                             ? lower(c).unicode() - u'a' + 10
                                                             : -1;
        if (digit < 0)
            return {};
        code = std::min<char32_t>(code * (hex ? 16 : 10) + char32_t(digit), 0x110000);
    }
    // As browsers do: the C1 range means Windows-1252, and what is no
    // character becomes the replacement character.
    if (code >= 0x80 && code <= 0x9F)
        return QString(QChar(DocumentText::windows1252(uchar(code))));
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return QString(QChar::ReplacementCharacter);
    return QString::fromUcs4(&code, 1);
}

// What a tag means for the text.
enum class TagKind {
    other,  // nothing: its content runs on
    rawText,  // its content up to its end tag is not text (scripts, styles, the title)
    textArea, // its content up to its end tag is text as written, tags included
    lineBreak,
    cell,     // table cells are separated by tabs
    preformatted,
    block,    // begins and ends a line
};

int nameCode(QChar c)
{
    if (c >= u'a' && c <= u'z')
        return c.unicode() - u'a' + 1;
    if (c >= u'A' && c <= u'Z')
        return c.unicode() - u'A' + 1;
    return c.unicode() - u'0' + 27; // a digit
}

quint64 nameKey(QLatin1StringView name)
{
    quint64 key = 0;
    for (const char c : name)
        key = key * 64 + quint64(nameCode(QLatin1Char(c)));
    return key;
}

TagKind kindOf(quint64 key)
{
    static const std::vector<std::pair<quint64, TagKind>> kinds = [] {
        std::vector<std::pair<quint64, TagKind>> table;
        for (const char *raw : {"script", "style", "title"})
            table.emplace_back(nameKey(QLatin1StringView(raw)), TagKind::rawText);
        table.emplace_back(nameKey("textarea"_L1), TagKind::textArea);
        for (const char *block : {"p",          "div",     "li",      "ul",     "ol",     "dl",     "dt",
                                  "dd",         "h1",      "h2",      "h3",     "h4",     "h5",     "h6",
                                  "table",      "tr",      "caption", "blockquote", "section", "article", "header",
                                  "footer",     "nav",     "aside",   "main",   "address", "hr",    "form",
                                  "fieldset",   "figure",  "figcaption", "center", "body",  "head"})
            table.emplace_back(nameKey(QLatin1StringView(block)), TagKind::block);
        table.emplace_back(nameKey("br"_L1), TagKind::lineBreak);
        table.emplace_back(nameKey("td"_L1), TagKind::cell);
        table.emplace_back(nameKey("th"_L1), TagKind::cell);
        table.emplace_back(nameKey("pre"_L1), TagKind::preformatted);
        std::sort(table.begin(), table.end());
        return table;
    }();
    const auto found = std::lower_bound(kinds.begin(), kinds.end(), std::pair{key, TagKind::other});
    return found != kinds.end() && found->first == key ? found->second : TagKind::other;
}

// The lower-case name back from its number.
QString nameText(quint64 key)
{
    QString name;
    for (; key > 0; key /= 64) {
        const int code = int(key % 64);
        name.prepend(code <= 26 ? QChar(u'a' + code - 1) : QChar(u'0' + code - 27));
    }
    return name;
}

} // namespace

HtmlText::HtmlText(TextBudget &budget) : m_budget(budget) {}

QString HtmlText::read(QStringView html, int characters)
{
    TextBudget budget(characters);
    HtmlText reader(budget);
    reader.feed(html);
    reader.finish();
    return budget.text();
}

void HtmlText::feed(QStringView chunk)
{
    // Runs that only one character can end are skipped in one go; the rest
    // goes through `step` a character at a time.
    const qsizetype n = chunk.size();
    qsizetype i = 0;
    while (i < n && !m_budget.isFull()) {
        switch (m_state) {
        case State::text: {
            qsizetype end = i;
            while (end < n && chunk[end] != u'<' && chunk[end] != u'&')
                ++end;
            for (; i < end && !m_budget.isFull(); ++i)
                put(chunk[i]);
            i = end;
            if (i < n)
                step(chunk[i++]);
            break;
        }
        case State::tagName: {
            qsizetype end = i;
            while (end < n && isAsciiLetterOrDigit(chunk[end]))
                ++end;
            for (; i < end; ++i)
                m_name.add(chunk[i]);
            if (i < n)
                m_state = State::attributes;
            break;
        }
        case State::attributes: {
            // Only the end of the tag, quotes and "=" matter here.
            qsizetype end = i;
            bool other = false;
            for (; end < n; ++end) {
                const QChar c = chunk[end];
                if (c == u'>' || c == u'"' || c == u'\'' || c == u'=')
                    break;
                other = other || !isHtmlSpace(c);
            }
            m_afterEquals = m_afterEquals && !other;
            i = end;
            if (i < n)
                step(chunk[i++]);
            break;
        }
        case State::quoted:
        case State::bogusComment: {
            const qsizetype end = chunk.indexOf(m_state == State::quoted ? m_quote : QChar(u'>'), i);
            i = end < 0 ? n : end;
            if (i < n)
                step(chunk[i++]);
            break;
        }
        case State::comment: {
            // Only the last few characters before a ">" decide whether it
            // ends the comment; those before them are passed over, noting
            // only whether the comment is still nothing but dashes.
            const qsizetype end = chunk.indexOf(u'>', i);
            const qsizetype stop = end < 0 ? n : end;
            const qsizetype tail = std::max(i, stop - 4);
            for (; m_onlyDashes && i < tail; ++i)
                if (chunk[i] != u'-')
                    m_onlyDashes = false;
            for (i = tail; i < stop; ++i)
                step(chunk[i]);
            if (i < n)
                step(chunk[i++]);
            break;
        }
        case State::rawText:
            if (m_rawMatched == 0) {
                qsizetype end = i;
                while (end < n && chunk[end] != u'<' && !(m_rawKept && chunk[end] == u'&'))
                    ++end;
                if (m_rawKept) {
                    for (; i < end && !m_budget.isFull(); ++i)
                        put(chunk[i]);
                }
                i = end;
            }
            if (i < n)
                step(chunk[i++]);
            break;
        default:
            step(chunk[i++]);
            break;
        }
    }
}

void HtmlText::finish()
{
    if (m_state == State::reference)
        endReference(false);
}

void HtmlText::step(QChar c)
{
    switch (m_state) {
    case State::text:
        if (c == u'<')
            m_state = State::tagOpen;
        else if (c == u'&') {
            m_reference.resize(0);
            m_referenceFrom = State::text;
            m_state = State::reference;
        } else
            put(c);
        return;
    case State::reference:
        if ((isAsciiLetterOrDigit(c) || (c == u'#' && m_reference.isEmpty())) && m_reference.size() < maxReferenceLength) {
            m_reference += c;
            return;
        }
        endReference(c == u';');
        if (c != u';')
            step(c);
        return;
    case State::tagOpen:
        m_name = {};
        m_afterEquals = false;
        if (c == u'!') {
            m_markup.resize(0);
            m_state = State::markup;
        } else if (c == u'?') {
            m_state = State::bogusComment;
        } else if (c == u'/') {
            m_state = State::endTagOpen;
        } else if (isAsciiLetter(c)) {
            m_endTag = false;
            m_name.add(c);
            m_state = State::tagName;
        } else {
            m_state = State::text;
            put(u'<');
            step(c);
        }
        return;
    case State::endTagOpen:
        if (isAsciiLetter(c)) {
            m_endTag = true;
            m_name.add(c);
            m_state = State::tagName;
        } else {
            // "</>" is nothing; "</" and anything else begins a comment.
            m_state = c == u'>' ? State::text : State::bogusComment;
        }
        return;
    case State::tagName:
        if (isAsciiLetterOrDigit(c)) {
            m_name.add(c);
            return;
        }
        m_state = State::attributes;
        step(c);
        return;
    case State::attributes:
        // A quote opens a value only right after "=" (and blanks).
        if ((c == u'"' || c == u'\'') && m_afterEquals) {
            m_quote = c;
            m_state = State::quoted;
        } else if (c == u'>') {
            endTag();
        } else if (!isHtmlSpace(c)) {
            m_afterEquals = c == u'=';
        }
        return;
    case State::quoted:
        if (c == m_quote) {
            m_afterEquals = false;
            m_state = State::attributes;
        }
        return;
    case State::markup:
        m_markup += c;
        if (m_markup == u"-")
            return;
        if (m_markup == u"--") {
            m_dashes = 0;
            m_bang = false;
            m_onlyDashes = true;
            m_state = State::comment;
            return;
        }
        m_state = State::bogusComment;
        step(c);
        return;
    case State::comment:
        // A comment ends at "-->" and at "--!>"; one that is nothing but
        // dashes so far ("<!-->", "<!--->") ends at its first ">".
        if (c == u'>' && (m_dashes == 2 || m_bang || m_onlyDashes)) {
            m_state = State::text;
        } else if (c == u'-') {
            m_dashes = m_bang ? 1 : std::min(m_dashes + 1, 2);
            m_bang = false;
        } else {
            m_onlyDashes = false;
            m_bang = c == u'!' && m_dashes == 2 && !m_bang;
            m_dashes = 0;
        }
        return;
    case State::bogusComment:
        if (c == u'>')
            m_state = State::text;
        return;
    case State::rawText: {
        if (m_rawMatched == m_rawEnd.size()) {
            if (c == u'>' || c == u'/' || isHtmlSpace(c)) {
                m_endTag = true;
                m_name = m_rawName;
                m_afterEquals = false;
                m_rawMatched = 0;
                m_rawHeld.resize(0);
                m_state = State::attributes;
                step(c);
                return;
            }
            releaseRawHeld();
        }
        if (lower(c) == m_rawEnd[m_rawMatched]) {
            ++m_rawMatched;
            m_rawHeld += c;
            return;
        }
        if (m_rawMatched > 0) {
            releaseRawHeld();
            if (c == u'<') {
                m_rawMatched = 1;
                m_rawHeld += c;
                return;
            }
        }
        if (m_rawKept) {
            if (c == u'&') {
                m_reference.resize(0);
                m_referenceFrom = State::rawText;
                m_state = State::reference;
            } else {
                put(c);
            }
        }
        return;
    }
    }
}

void HtmlText::endTag()
{
    m_state = State::text;
    if (!m_name.isKnowable())
        return;
    switch (kindOf(m_name.key)) {
    case TagKind::other:
        return;
    case TagKind::rawText:
    case TagKind::textArea:
        if (kindOf(m_name.key) == TagKind::textArea) {
            // Its content shows as written, on lines of its own; a line
            // break right after the start tag is not part of it.
            m_preformatted = std::max(0, m_preformatted + (m_endTag ? -1 : 1));
            endLine();
            m_dropNewline = !m_endTag;
        }
        if (!m_endTag) {
            m_rawName = m_name;
            m_rawEnd = u"</"_s + nameText(m_name.key);
            m_rawMatched = 0;
            m_rawHeld.resize(0);
            m_rawKept = kindOf(m_name.key) == TagKind::textArea;
            m_state = State::rawText;
        }
        return;
    case TagKind::lineBreak:
        m_pendingSpace = false;
        m_budget.append(u'\n');
        return;
    case TagKind::cell:
        m_pendingSpace = false;
        if (!m_endTag && !m_budget.isEmpty() && m_budget.last() != u'\n')
            m_budget.append(u'\t');
        return;
    case TagKind::preformatted:
        m_preformatted = std::max(0, m_preformatted + (m_endTag ? -1 : 1));
        endLine();
        return;
    case TagKind::block:
        endLine();
        return;
    }
}

void HtmlText::TagName::add(QChar c)
{
    if (length <= 10)
        key = key * 64 + quint64(nameCode(c));
    ++length;
    length = std::min(length, 11);
}

void HtmlText::endLine()
{
    m_pendingSpace = false;
    if (!m_budget.isEmpty() && m_budget.last() != u'\n')
        m_budget.append(u'\n');
}

void HtmlText::releaseRawHeld()
{
    // What looked like the start of the end tag was text after all.
    if (m_rawKept) {
        for (const QChar c : std::as_const(m_rawHeld))
            put(c);
    }
    m_rawMatched = 0;
    m_rawHeld.resize(0);
}

void HtmlText::endReference(bool terminated)
{
    m_state = m_referenceFrom;
    const QString number = decodedNumber(m_reference);
    if (!number.isNull()) {
        for (const QChar c : number)
            put(c);
        return;
    }
    if (!m_reference.startsWith(u'#')) {
        // A name with its semicolon, else the longest legacy name at its
        // start ("&copy2024" is "©2024", "&notit;" is "¬it;").
        if (const auto *reference = terminated ? HtmlReferences::find(m_reference) : nullptr) {
            for (const QChar c : text(*reference))
                put(c);
            return;
        }
        for (qsizetype length = std::min<qsizetype>(m_reference.size(), 6); length >= 2; --length) {
            const auto *reference = HtmlReferences::find(QStringView(m_reference).first(length));
            if (reference && reference->withoutSemicolon) {
                for (const QChar c : text(*reference))
                    put(c);
                for (const QChar c : QStringView(m_reference).sliced(length))
                    put(c);
                if (terminated)
                    put(u';');
                return;
            }
        }
    }
    put(u'&');
    for (const QChar c : std::as_const(m_reference))
        put(c);
    if (terminated)
        put(u';');
}

void HtmlText::put(QChar c)
{
    if (c.isNull())
        return;
    // The no-break, thin, narrow and other Unicode spaces show as blanks
    // (amounts are grouped with them) but never collapse.
    if (c.unicode() >= 0xA0 && c.category() == QChar::Separator_Space)
        c = u' ';
    if (m_dropNewline) {
        m_dropNewline = false;
        if (c == u'\n')
            return;
    }
    if (m_preformatted > 0) {
        if (c != u'\r')
            m_budget.append(c);
        return;
    }
    if (isHtmlSpace(c)) {
        m_pendingSpace = true;
        return;
    }
    if (m_pendingSpace) {
        m_pendingSpace = false;
        const QChar last = m_budget.last();
        if (!m_budget.isEmpty() && last != u'\n' && last != u'\t' && last != u' ')
            m_budget.append(u' ');
    }
    m_budget.append(c);
}
