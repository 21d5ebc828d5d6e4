#include "HtmlEncoding.h"

#include <unicode/ucnv.h>

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

// The labels that mean windows-1252 on the web.
bool meansWindows1252(const QByteArray &label)
{
    static const std::array<QByteArrayView, 12> labels{
        "iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "l1", "us-ascii", "ascii",
        "windows-1252", "cp1252", "x-cp1252", "cp819", "ibm819"};
    for (const QByteArrayView known : labels) {
        if (label == known)
            return true;
    }
    return false;
}

} // namespace

void HtmlDecoder::ConverterCloser::operator()(UConverter *converter) const
{
    ucnv_close(converter);
}

QByteArray HtmlDecoder::declaredCharacterSet(QByteArrayView start)
{
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
            return head.sliced(i, end - i);
    }
    return {};
}

HtmlDecoder::HtmlDecoder(QByteArrayView start)
{
    if (start.startsWith("\xEF\xBB\xBF")) {
        m_unicode.emplace(QStringDecoder::Utf8);
    } else if (start.startsWith("\xFF\xFE")) {
        m_unicode.emplace(QStringDecoder::Utf16LE);
    } else if (start.startsWith("\xFE\xFF")) {
        m_unicode.emplace(QStringDecoder::Utf16BE);
    } else {
        QByteArray label = declaredCharacterSet(start);
        // A page that declares UTF-16 in ASCII is no UTF-16 page.
        if (label.startsWith("utf-16") || label.startsWith("utf16"))
            label = "utf-8";
        if (meansWindows1252(label))
            label = "windows-1252";
        if (!label.isEmpty() && label != "utf-8" && label != "utf8") {
            UErrorCode status = U_ZERO_ERROR;
            m_legacy.reset(ucnv_open(label.constData(), &status));
            if (U_FAILURE(status))
                m_legacy.reset();
        }
        if (m_legacy) {
            UErrorCode status = U_ZERO_ERROR;
            m_name = ucnv_getName(m_legacy.get(), &status);
        } else {
            m_unicode.emplace(QStringDecoder::Utf8);
        }
    }
    if (m_unicode)
        m_name = m_unicode->name();
}

HtmlDecoder::~HtmlDecoder() = default;

QString HtmlDecoder::decode(QByteArrayView chunk)
{
    if (m_unicode)
        return m_unicode->decode(chunk);
    QString text;
    const char *source = chunk.data();
    const char *const sourceEnd = chunk.data() + chunk.size();
    qsizetype written = 0;
    for (;;) {
        // A byte gives at most two code units in the usual character sets;
        // more room is made if a converter needs it.
        text.resize(written + (sourceEnd - source) * 2 + 16);
        UChar *const begin = reinterpret_cast<UChar *>(text.data());
        UChar *target = begin + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(m_legacy.get(), &target, begin + text.size(), &source, sourceEnd, nullptr, false, &status);
        written = target - begin;
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
    }
    text.truncate(written);
    return text;
}
