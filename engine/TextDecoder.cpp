#include "TextDecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <iterator>

namespace {

// Every byte sequence that is no character, or no character the set
// assigns, becomes U+FFFD (some of ICU's converters would write the control
// character SUB for a single byte).
void replace(const void *, UConverterToUnicodeArgs *arguments, const char *, int32_t, UConverterCallbackReason reason,
             UErrorCode *status)
{
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR)
        return;
    const UChar replacement = 0xFFFD;
    *status = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(arguments, &replacement, 1, 0, status);
}

// True when every printable ASCII character, the tab and the line breaks
// decode as themselves. Leaves the converter as it was opened.
bool decodesAsciiAsItself(UConverter *converter)
{
    char ascii[0x7F - 0x20 + 3] = {'\t', '\n', '\r'};
    for (char c = 0x20; c < 0x7F; ++c)
        ascii[3 + c - 0x20] = c;
    UChar decoded[sizeof ascii + 8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, decoded, int32_t(std::size(decoded)), ascii,
                                         int32_t(sizeof ascii), &status);
    ucnv_resetToUnicode(converter);
    if (U_FAILURE(status) || length != int32_t(sizeof ascii))
        return false;
    for (std::size_t i = 0; i < sizeof ascii; ++i) {
        if (decoded[i] != UChar(static_cast<unsigned char>(ascii[i])))
            return false;
    }
    return true;
}

} // namespace

void TextDecoder::Closer::operator()(UConverter *converter) const
{
    ucnv_close(converter);
}

TextDecoder::TextDecoder(const char *characterSet)
    : m_legacy(LegacyDecoder::named(characterSet))
{
    if (m_legacy)
        return;
    UErrorCode status = U_ZERO_ERROR;
    m_converter.reset(ucnv_open(characterSet, &status));
    if (U_SUCCESS(status)) {
        m_asciiCompatible = decodesAsciiAsItself(m_converter.get());
        ucnv_setToUCallBack(m_converter.get(), replace, nullptr, nullptr, nullptr, &status);
    }
    if (U_FAILURE(status))
        m_converter.reset();
}

TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder &&) noexcept = default;
TextDecoder &TextDecoder::operator=(TextDecoder &&) noexcept = default;

QByteArray TextDecoder::name() const
{
    if (m_legacy)
        return m_legacy->name();
    if (!m_converter)
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const char *const name = ucnv_getName(m_converter.get(), &status);
    return U_SUCCESS(status) ? QByteArray(name) : QByteArray();
}

QString TextDecoder::decode(QByteArrayView bytes)
{
    return m_legacy ? m_legacy->decode(bytes) : convert(bytes, false);
}

QString TextDecoder::finish()
{
    return m_legacy ? m_legacy->finish() : convert({}, true);
}

bool TextDecoder::holdsPart() const
{
    if (m_legacy)
        return m_legacy->holdsPart();
    UErrorCode status = U_ZERO_ERROR;
    return m_converter && ucnv_toUCountPending(m_converter.get(), &status) > 0;
}

QString TextDecoder::convert(QByteArrayView bytes, bool flush)
{
    if (!m_converter || (bytes.isEmpty() && !flush))
        return {};
    QString text;
    const char *source = bytes.data();
    const char *const sourceEnd = source + bytes.size();
    qsizetype written = 0;
    for (;;) {
        // A byte gives at most two code units in the usual character sets,
        // and what is held back at most a few; more room is made if a
        // converter needs it.
        text.resize(written + (sourceEnd - source) * 2 + 16);
        UChar *const begin = reinterpret_cast<UChar *>(text.data());
        UChar *target = begin + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, begin + text.size(), &source, sourceEnd, nullptr, flush, &status);
        written = target - begin;
        if (status != U_BUFFER_OVERFLOW_ERROR)
            break;
    }
    text.truncate(written);
    return text;
}
