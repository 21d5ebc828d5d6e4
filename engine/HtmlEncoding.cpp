#include "HtmlEncoding.h"

#include <algorithm>
#include <array>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLabelCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == '.' || c == ':';
}

template<std::size_t N>
bool isAmong(const QByteArray &label, const std::array<QByteArrayView, N> &labels)
{
    return std::find(labels.begin(), labels.end(), QByteArrayView(label)) != labels.end();
}

// The labels that mean windows-1252 on the web.
bool meansWindows1252(const QByteArray &label)
{
    static constexpr std::array<QByteArrayView, 13> labels{
        "iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "us-ascii", "ascii",
        "windows-1252", "cp1252", "x-cp1252", "cp819", "ibm819", "x-user-defined"};
    return isAmong(label, labels);
}

// The labels of UTF-16 (either byte order), which a declaration in the page
// itself cannot mean: they mean UTF-8.
bool meansUtf16(const QByteArray &label)
{
    static constexpr std::array<QByteArrayView, 9> labels{
        "csunicode", "iso-10646-ucs-2", "ucs-2", "unicode", "unicodefeff", "unicodefffe",
        "utf-16", "utf-16le", "utf-16be"};
    return isAmong(label, labels) || label.startsWith("utf16") || label.startsWith("utf-16");
}

} // namespace

QByteArrayList HtmlDecoder::declaredCharacterSets(QByteArrayView start)
{
    QByteArrayList labels;
    const QByteArray head = start.first(std::min(start.size(), prescanBytes)).toByteArray().toLower();
    for (qsizetype at = head.indexOf("charset"); at >= 0; at = head.indexOf("charset", at + 1)) {
        qsizetype i = at + 7;
        while (i < head.size() && isSpace(head[i]))
            ++i;
        if (i >= head.size() || head[i] != '=')
            continue;
        ++i;
        while (i < head.size() && (isSpace(head[i]) || head[i] == '"' || head[i] == '\''))
            ++i;
        qsizetype end = i;
        while (end < head.size() && isLabelCharacter(head[end]))
            ++end;
        if (end > i)
            labels.append(head.sliced(i, end - i));
    }
    return labels;
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
        for (QByteArray label : declaredCharacterSets(start)) {
            if (meansUtf16(label) || label == "utf-8" || label == "utf8")
                break;
            if (meansWindows1252(label))
                label = "windows-1252";
            TextDecoder declared(label.constData());
            if (declared.isAsciiCompatible()) {
                m_decoder = std::move(declared);
                break;
            }
        }
    }
}

QString HtmlDecoder::decode(QByteArrayView chunk)
{
    const qsizetype skipped = std::min(m_skip, chunk.size());
    m_skip -= skipped;
    return m_decoder.decode(chunk.sliced(skipped));
}

QString HtmlDecoder::finish()
{
    return m_decoder.finish();
}
