#include "HtmlEncoding.h"

#include "Utf8Reading.h"

#include <QHash>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

constexpr const char *utf8 = "UTF-8";
constexpr const char *passOver = "";

// The character set that a label names as a web page's reader knows it, by
// its name in the Encoding Standard: the labels of the Standard. GBK is read
// by the gb18030 decoder; ISO-8859-1, ASCII and x-user-defined mean
// windows-1252 in a page; the sets that are no page's (the ISO-2022 sets of
// China and Korea, HZ) are passed over, as is a label not listed.
const char *characterSetNamed(const QByteArray &label)
{
    static const QHash<QByteArray, const char *> sets{
        // UTF-8
        {"unicode-1-1-utf-8", utf8}, {"unicode11utf8", utf8}, {"unicode20utf8", utf8}, {"utf-8", utf8},
        {"utf8", utf8}, {"x-unicode20utf8", utf8},
        // IBM866
        {"866", "IBM866"}, {"cp866", "IBM866"}, {"csibm866", "IBM866"}, {"ibm866", "IBM866"},
        // ISO-8859-2
        {"csisolatin2", "ISO-8859-2"}, {"iso-8859-2", "ISO-8859-2"}, {"iso-ir-101", "ISO-8859-2"},
        {"iso8859-2", "ISO-8859-2"}, {"iso88592", "ISO-8859-2"}, {"iso_8859-2", "ISO-8859-2"},
        {"iso_8859-2:1987", "ISO-8859-2"}, {"l2", "ISO-8859-2"}, {"latin2", "ISO-8859-2"},
        // ISO-8859-3
        {"csisolatin3", "ISO-8859-3"}, {"iso-8859-3", "ISO-8859-3"}, {"iso-ir-109", "ISO-8859-3"},
        {"iso8859-3", "ISO-8859-3"}, {"iso88593", "ISO-8859-3"}, {"iso_8859-3", "ISO-8859-3"},
        {"iso_8859-3:1988", "ISO-8859-3"}, {"l3", "ISO-8859-3"}, {"latin3", "ISO-8859-3"},
        // ISO-8859-4
        {"csisolatin4", "ISO-8859-4"}, {"iso-8859-4", "ISO-8859-4"}, {"iso-ir-110", "ISO-8859-4"},
        {"iso8859-4", "ISO-8859-4"}, {"iso88594", "ISO-8859-4"}, {"iso_8859-4", "ISO-8859-4"},
        {"iso_8859-4:1988", "ISO-8859-4"}, {"l4", "ISO-8859-4"}, {"latin4", "ISO-8859-4"},
        // ISO-8859-5
        {"csisolatincyrillic", "ISO-8859-5"}, {"cyrillic", "ISO-8859-5"}, {"iso-8859-5", "ISO-8859-5"},
        {"iso-ir-144", "ISO-8859-5"}, {"iso8859-5", "ISO-8859-5"}, {"iso88595", "ISO-8859-5"},
        {"iso_8859-5", "ISO-8859-5"}, {"iso_8859-5:1988", "ISO-8859-5"},
        // ISO-8859-6
        {"arabic", "ISO-8859-6"}, {"asmo-708", "ISO-8859-6"}, {"csiso88596e", "ISO-8859-6"},
        {"csiso88596i", "ISO-8859-6"}, {"csisolatinarabic", "ISO-8859-6"}, {"ecma-114", "ISO-8859-6"},
        {"iso-8859-6", "ISO-8859-6"}, {"iso-8859-6-e", "ISO-8859-6"}, {"iso-8859-6-i", "ISO-8859-6"},
        {"iso-ir-127", "ISO-8859-6"}, {"iso8859-6", "ISO-8859-6"}, {"iso88596", "ISO-8859-6"},
        {"iso_8859-6", "ISO-8859-6"}, {"iso_8859-6:1987", "ISO-8859-6"},
        // ISO-8859-7
        {"csisolatingreek", "ISO-8859-7"}, {"ecma-118", "ISO-8859-7"}, {"elot_928", "ISO-8859-7"},
        {"greek", "ISO-8859-7"}, {"greek8", "ISO-8859-7"}, {"iso-8859-7", "ISO-8859-7"}, {"iso-ir-126", "ISO-8859-7"},
        {"iso8859-7", "ISO-8859-7"}, {"iso88597", "ISO-8859-7"}, {"iso_8859-7", "ISO-8859-7"},
        {"iso_8859-7:1987", "ISO-8859-7"}, {"sun_eu_greek", "ISO-8859-7"},
        // ISO-8859-8
        {"csiso88598e", "ISO-8859-8"}, {"csisolatinhebrew", "ISO-8859-8"}, {"hebrew", "ISO-8859-8"},
        {"iso-8859-8", "ISO-8859-8"}, {"iso-8859-8-e", "ISO-8859-8"}, {"iso-ir-138", "ISO-8859-8"},
        {"iso8859-8", "ISO-8859-8"}, {"iso88598", "ISO-8859-8"}, {"iso_8859-8", "ISO-8859-8"},
        {"iso_8859-8:1988", "ISO-8859-8"}, {"visual", "ISO-8859-8"}, {"csiso88598i", "ISO-8859-8"},
        {"iso-8859-8-i", "ISO-8859-8"}, {"logical", "ISO-8859-8"},
        // ISO-8859-10
        {"csisolatin6", "ISO-8859-10"}, {"iso-8859-10", "ISO-8859-10"}, {"iso-ir-157", "ISO-8859-10"},
        {"iso8859-10", "ISO-8859-10"}, {"iso885910", "ISO-8859-10"}, {"l6", "ISO-8859-10"}, {"latin6", "ISO-8859-10"},
        // ISO-8859-13
        {"iso-8859-13", "ISO-8859-13"}, {"iso8859-13", "ISO-8859-13"}, {"iso885913", "ISO-8859-13"},
        // ISO-8859-14
        {"iso-8859-14", "ISO-8859-14"}, {"iso8859-14", "ISO-8859-14"}, {"iso885914", "ISO-8859-14"},
        // ISO-8859-15
        {"csisolatin9", "ISO-8859-15"}, {"iso-8859-15", "ISO-8859-15"}, {"iso8859-15", "ISO-8859-15"},
        {"iso885915", "ISO-8859-15"}, {"iso_8859-15", "ISO-8859-15"}, {"l9", "ISO-8859-15"},
        // ISO-8859-16
        {"iso-8859-16", "ISO-8859-16"},
        // KOI8-R
        {"cskoi8r", "KOI8-R"}, {"koi", "KOI8-R"}, {"koi8", "KOI8-R"}, {"koi8-r", "KOI8-R"}, {"koi8_r", "KOI8-R"},
        // KOI8-U
        {"koi8-ru", "KOI8-U"}, {"koi8-u", "KOI8-U"},
        // macintosh
        {"csmacintosh", "macintosh"}, {"mac", "macintosh"}, {"macintosh", "macintosh"}, {"x-mac-roman", "macintosh"},
        // windows-874
        {"dos-874", "windows-874"}, {"iso-8859-11", "windows-874"}, {"iso8859-11", "windows-874"},
        {"iso885911", "windows-874"}, {"tis-620", "windows-874"}, {"windows-874", "windows-874"},
        // windows-1250
        {"cp1250", "windows-1250"}, {"windows-1250", "windows-1250"}, {"x-cp1250", "windows-1250"},
        // windows-1251
        {"cp1251", "windows-1251"}, {"windows-1251", "windows-1251"}, {"x-cp1251", "windows-1251"},
        // windows-1252
        {"ansi_x3.4-1968", "windows-1252"}, {"ascii", "windows-1252"}, {"cp1252", "windows-1252"},
        {"cp819", "windows-1252"}, {"csisolatin1", "windows-1252"}, {"ibm819", "windows-1252"},
        {"iso-8859-1", "windows-1252"}, {"iso-ir-100", "windows-1252"}, {"iso8859-1", "windows-1252"},
        {"iso88591", "windows-1252"}, {"iso_8859-1", "windows-1252"}, {"iso_8859-1:1987", "windows-1252"},
        {"l1", "windows-1252"}, {"latin1", "windows-1252"}, {"us-ascii", "windows-1252"},
        {"windows-1252", "windows-1252"}, {"x-cp1252", "windows-1252"}, {"x-user-defined", "windows-1252"},
        // windows-1253
        {"cp1253", "windows-1253"}, {"windows-1253", "windows-1253"}, {"x-cp1253", "windows-1253"},
        // windows-1254
        {"cp1254", "windows-1254"}, {"csisolatin5", "windows-1254"}, {"iso-8859-9", "windows-1254"},
        {"iso-ir-148", "windows-1254"}, {"iso8859-9", "windows-1254"}, {"iso88599", "windows-1254"},
        {"iso_8859-9", "windows-1254"}, {"iso_8859-9:1989", "windows-1254"}, {"l5", "windows-1254"},
        {"latin5", "windows-1254"}, {"windows-1254", "windows-1254"}, {"x-cp1254", "windows-1254"},
        // windows-1255
        {"cp1255", "windows-1255"}, {"windows-1255", "windows-1255"}, {"x-cp1255", "windows-1255"},
        // windows-1256
        {"cp1256", "windows-1256"}, {"windows-1256", "windows-1256"}, {"x-cp1256", "windows-1256"},
        // windows-1257
        {"cp1257", "windows-1257"}, {"windows-1257", "windows-1257"}, {"x-cp1257", "windows-1257"},
        // windows-1258
        {"cp1258", "windows-1258"}, {"windows-1258", "windows-1258"}, {"x-cp1258", "windows-1258"},
        // x-mac-cyrillic
        {"x-mac-cyrillic", "x-mac-cyrillic"}, {"x-mac-ukrainian", "x-mac-cyrillic"},
        // gb18030
        {"chinese", "gb18030"}, {"csgb2312", "gb18030"}, {"csiso58gb231280", "gb18030"}, {"gb2312", "gb18030"},
        {"gb_2312", "gb18030"}, {"gb_2312-80", "gb18030"}, {"gbk", "gb18030"}, {"iso-ir-58", "gb18030"},
        {"x-gbk", "gb18030"}, {"gb18030", "gb18030"},
        // Big5
        {"big5", "Big5"}, {"big5-hkscs", "Big5"}, {"cn-big5", "Big5"}, {"csbig5", "Big5"},
        {"x-x-big5", "Big5"},
        // EUC-JP
        {"cseucpkdfmtjapanese", "EUC-JP"}, {"euc-jp", "EUC-JP"}, {"x-euc-jp", "EUC-JP"},
        // ISO-2022-JP
        {"csiso2022jp", "ISO-2022-JP"}, {"iso-2022-jp", "ISO-2022-JP"},
        // Shift_JIS
        {"csshiftjis", "Shift_JIS"}, {"ms932", "Shift_JIS"}, {"ms_kanji", "Shift_JIS"},
        {"shift-jis", "Shift_JIS"}, {"shift_jis", "Shift_JIS"}, {"sjis", "Shift_JIS"},
        {"windows-31j", "Shift_JIS"}, {"x-sjis", "Shift_JIS"},
        // EUC-KR
        {"cseuckr", "EUC-KR"}, {"csksc56011987", "EUC-KR"}, {"euc-kr", "EUC-KR"},
        {"iso-ir-149", "EUC-KR"}, {"korean", "EUC-KR"}, {"ks_c_5601-1987", "EUC-KR"},
        {"ks_c_5601-1989", "EUC-KR"}, {"ksc5601", "EUC-KR"}, {"ksc_5601", "EUC-KR"},
        {"windows-949", "EUC-KR"},
        // (the replacement encoding: passed over)
        {"csiso2022kr", passOver}, {"hz-gb-2312", passOver}, {"iso-2022-cn", passOver}, {"iso-2022-cn-ext", passOver},
        {"iso-2022-kr", passOver}, {"replacement", passOver},
        // UTF-16 in either byte order, which a page that declares it in ASCII cannot be: UTF-8
        {"unicodefffe", utf8}, {"utf-16be", utf8}, {"csunicode", utf8}, {"iso-10646-ucs-2", utf8}, {"ucs-2", utf8},
        {"unicode", utf8}, {"unicodefeff", utf8}, {"utf-16", utf8}, {"utf-16le", utf8},
    };
    return sets.value(label, nullptr);
}

bool isAsciiUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

char asciiLower(char c)
{
    return isAsciiUpper(c) ? char(c + ('a' - 'A')) : c;
}

bool isAsciiLetter(char c)
{
    return isAsciiUpper(c) || (c >= 'a' && c <= 'z');
}

// The label as the Encoding Standard reads it: without white space around
// it, in lower case; empty when it names no character set.
QByteArray knownLabel(QByteArrayView written)
{
    while (!written.isEmpty() && isSpace(written.front()))
        written = written.sliced(1);
    while (!written.isEmpty() && isSpace(written.back()))
        written.chop(1);
    const QByteArray label = written.toByteArray().toLower();
    return characterSetNamed(label) ? label : QByteArray();
}

// The label in a meta element's content ("text/html; charset=koi8-r"),
// empty when it holds none that names a character set.
QByteArray contentLabel(QByteArrayView content)
{
    const QByteArray lower = content.toByteArray().toLower();
    for (qsizetype at = 0;;) {
        const qsizetype found = lower.indexOf("charset", at);
        if (found < 0)
            return {};
        qsizetype i = found + 7;
        while (i < content.size() && isSpace(content[i]))
            ++i;
        if (i >= content.size() || content[i] != '=') {
            at = i; // looked for again from the character that is no "="
            continue;
        }
        ++i;
        while (i < content.size() && isSpace(content[i]))
            ++i;
        if (i >= content.size())
            return {};
        const char quote = content[i];
        if (quote == '"' || quote == '\'') {
            const qsizetype close = content.indexOf(quote, i + 1);
            return close < 0 ? QByteArray() : knownLabel(content.sliced(i + 1, close - i - 1));
        }
        qsizetype end = i;
        while (end < content.size() && !isSpace(content[end]) && content[end] != ';')
            ++end;
        return knownLabel(content.sliced(i, end - i));
    }
}

// The HTML Standard's prescan of a page's first bytes for its character set:
// only a <meta> element's "charset", or its "content" when its "http-equiv"
// is "content-type", declares one; comments, end tags, other markup, other
// elements' attributes and text are passed over, and a declaration cut off
// by the end of the bytes counts for nothing.
class MetaPrescan
{
public:
    explicit MetaPrescan(QByteArrayView bytes) : m_bytes(bytes) {}

    // The labels of the character sets the meta elements declare, in order.
    QByteArrayList labels()
    {
        QByteArrayList found;
        for (; m_at < m_bytes.size(); ++m_at) {
            if (startsHere("<!--")) {
                // The dashes of "<!--" may end it too: "<!-->".
                const qsizetype end = m_bytes.indexOf("-->", m_at + 2);
                if (end < 0)
                    break;
                m_at = end + 2;
            } else if (startsHere("<meta") && m_at + 5 < m_bytes.size()
                       && (isSpace(m_bytes[m_at + 5]) || m_bytes[m_at + 5] == '/')) {
                m_at += 5;
                const std::optional<QByteArray> label = meta();
                if (!label)
                    break;
                if (!label->isEmpty())
                    found.append(*label);
            } else if (startsHere("<") && (isAsciiLetter(at(1)) || (at(1) == '/' && isAsciiLetter(at(2))))) {
                while (m_at < m_bytes.size() && !isSpace(m_bytes[m_at]) && m_bytes[m_at] != '>')
                    ++m_at;
                std::optional<Attribute> attribute;
                while ((attribute = nextAttribute()) && !attribute->name.isEmpty()) {
                }
                if (!attribute)
                    break;
            } else if (startsHere("<!") || startsHere("</") || startsHere("<?")) {
                m_at = m_bytes.indexOf('>', m_at + 1);
                if (m_at < 0)
                    break;
            }
        }
        return found;
    }

private:
    struct Attribute
    {
        QByteArray name; // empty when the element has no more
        QByteArray value;
    };

    // The byte that far ahead, or 0 past the end.
    char at(qsizetype ahead) const { return m_at + ahead < m_bytes.size() ? m_bytes[m_at + ahead] : '\0'; }

    bool startsHere(QByteArrayView text) const
    {
        if (m_bytes.size() - m_at < text.size())
            return false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (asciiLower(m_bytes[m_at + i]) != text[i])
                return false;
        }
        return true;
    }

    // A meta element's attributes, read up to its end: the label it
    // declares, empty when it declares none that counts, and nothing when
    // the bytes ended first.
    std::optional<QByteArray> meta()
    {
        QByteArrayList seen;
        bool gotPragma = false;
        std::optional<bool> needPragma;
        std::optional<QByteArray> charset; // empty when the label names no set
        for (;;) {
            const std::optional<Attribute> attribute = nextAttribute();
            if (!attribute)
                return std::nullopt;
            if (attribute->name.isEmpty())
                break;
            if (seen.contains(attribute->name))
                continue;
            seen.append(attribute->name);
            if (attribute->name == "http-equiv") {
                if (attribute->value == "content-type")
                    gotPragma = true;
            } else if (attribute->name == "content") {
                const QByteArray label = contentLabel(attribute->value);
                if (!label.isEmpty() && !charset) {
                    charset = label;
                    needPragma = true;
                }
            } else if (attribute->name == "charset") {
                charset = knownLabel(attribute->value);
                needPragma = false;
            }
        }
        if (!needPragma || (*needPragma && !gotPragma) || !charset)
            return QByteArray();
        return *charset;
    }

    // The HTML Standard's "get an attribute": its name and value in lower
    // case; an empty name at the element's end; nothing when the bytes
    // ended first.
    std::optional<Attribute> nextAttribute()
    {
        const qsizetype size = m_bytes.size();
        while (m_at < size && (isSpace(m_bytes[m_at]) || m_bytes[m_at] == '/'))
            ++m_at;
        if (m_at >= size)
            return std::nullopt;
        Attribute attribute;
        if (m_bytes[m_at] == '>')
            return attribute;
        for (;; ++m_at) {
            if (m_at >= size)
                return std::nullopt;
            const char c = m_bytes[m_at];
            if (c == '=' && !attribute.name.isEmpty())
                break;
            if (isSpace(c)) {
                while (m_at < size && isSpace(m_bytes[m_at]))
                    ++m_at;
                if (m_at >= size)
                    return std::nullopt;
                if (m_bytes[m_at] != '=')
                    return attribute;
                break;
            }
            if (c == '/' || c == '>')
                return attribute;
            attribute.name.append(asciiLower(c));
        }
        ++m_at; // past the "="
        while (m_at < size && isSpace(m_bytes[m_at]))
            ++m_at;
        if (m_at >= size)
            return std::nullopt;
        const char quote = m_bytes[m_at];
        if (quote == '"' || quote == '\'') {
            for (++m_at; m_at < size; ++m_at) {
                if (m_bytes[m_at] == quote) {
                    ++m_at;
                    return attribute;
                }
                attribute.value.append(asciiLower(m_bytes[m_at]));
            }
            return std::nullopt;
        }
        if (quote == '>')
            return attribute;
        for (; m_at < size; ++m_at) {
            const char c = m_bytes[m_at];
            if (isSpace(c) || c == '>')
                return attribute;
            attribute.value.append(asciiLower(c));
        }
        return std::nullopt;
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

} // namespace

QByteArrayList HtmlDecoder::declaredCharacterSets(QByteArrayView start)
{
    return MetaPrescan(start.first(std::min(start.size(), prescanBytes))).labels();
}

HtmlDecoder::HtmlDecoder(QByteArrayView start)
{
    if (start.startsWith("\xEF\xBB\xBF")) {
        m_skip = 3;
    } else if (start.startsWith("\xFF\xFE")) {
        m_decoder = TextDecoder("UTF-16LE");
        m_skip = 2;
    } else if (start.startsWith("\xFE\xFF")) {
        m_decoder = TextDecoder("UTF-16BE");
        m_skip = 2;
    } else {
        m_undecided = true;
        for (const QByteArray &label : declaredCharacterSets(start)) {
            const char *const set = characterSetNamed(label);
            if (set == utf8) {
                m_undecided = false;
                break;
            }
            if (set == passOver || !set)
                continue;
            TextDecoder declared(set);
            if (declared.isAsciiCompatible()) {
                m_decoder = std::move(declared);
                m_undecided = false;
                break;
            }
        }
    }
}

QString HtmlDecoder::decode(QByteArrayView chunk)
{
    const qsizetype skipped = std::min(m_skip, chunk.size());
    m_skip -= skipped;
    chunk = chunk.sliced(skipped);
    return m_undecided ? readUndeclared(chunk) : m_decoder.decode(chunk);
}

QString HtmlDecoder::readUndeclared(QByteArrayView chunk)
{
    // ASCII, up to the first byte above 0x7F, reads the same in either set.
    qsizetype ascii = 0;
    if (m_held.isEmpty()) {
        while (ascii < chunk.size() && static_cast<unsigned char>(chunk[ascii]) < 0x80)
            ++ascii;
    }
    QString text = QString::fromLatin1(chunk.first(ascii));
    if (ascii == chunk.size())
        return text;
    QByteArray rest = std::exchange(m_held, {});
    rest.append(chunk.sliced(ascii));
    qsizetype cutFrom = -1;
    const Utf8Reading reading = readAsUtf8(rest, cutFrom);
    if (reading == Utf8Reading::cutAtEnd && cutFrom == 0) {
        // Only the start of one character so far tells nothing either way.
        m_held = rest;
        return text;
    }
    // A character cut off by the end of the piece does not count against UTF-8.
    if (reading == Utf8Reading::broken)
        m_decoder = TextDecoder("windows-1252");
    m_undecided = false;
    return text + m_decoder.decode(rest);
}

QString HtmlDecoder::finish()
{
    if (m_undecided && !m_held.isEmpty()) {
        // The page ends inside its first character above 0x7F: no UTF-8.
        m_decoder = TextDecoder("windows-1252");
        m_undecided = false;
        const QString text = m_decoder.decode(std::exchange(m_held, {}));
        return text + m_decoder.finish();
    }
    return m_decoder.finish();
}
