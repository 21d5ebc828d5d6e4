#include "TextDecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <iterator>

namespace {

// Passed to the callback for the multi-byte sets in which every ASCII byte
// is itself.
const bool keepsAscii = true;

// Every byte sequence that is no character, or no character the set
// assigns, becomes U+FFFD (some of ICU's converters would write the control
// character SUB for a single byte). In a multi-byte set whose ASCII bytes
// are themselves, an ASCII byte after a lead byte that makes no character
// with it is a character of its own, as a browser reads it: ICU takes it
// into the broken sequence; it is given back here. Only a sequence that the
// input's end cut off is lost whole.
void replace(const void *context, UConverterToUnicodeArgs *arguments, const char *codeUnits, int32_t length,
             UConverterCallbackReason reason, UErrorCode *status)
{
    if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR)
        return;
    const bool cutOff = *status == U_TRUNCATED_CHAR_FOUND;
    UChar replacement[4] = {0xFFFD};
    int32_t count = 1;
    if (context == &keepsAscii && !cutOff && length >= 2 && length <= 4
        && static_cast<unsigned char>(codeUnits[1]) < 0x80) {
        for (int32_t i = 1; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(codeUnits[i]);
            replacement[count++] = byte < 0x80 ? UChar(byte) : UChar(0xFFFD);
        }
    }
    *status = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(arguments, replacement, count, 0, status);
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
{
    UErrorCode status = U_ZERO_ERROR;
    m_converter.reset(ucnv_open(characterSet, &status));
    if (U_SUCCESS(status)) {
        m_asciiCompatible = decodesAsciiAsItself(m_converter.get());
        const bool multiByte = ucnv_getType(m_converter.get()) == UCNV_MBCS;
        ucnv_setToUCallBack(m_converter.get(), replace, multiByte && m_asciiCompatible ? &keepsAscii : nullptr,
                            nullptr, nullptr, &status);
    }
    if (U_FAILURE(status))
        m_converter.reset();
}

TextDecoder::~TextDecoder() = default;
TextDecoder::TextDecoder(TextDecoder &&) noexcept = default;
TextDecoder &TextDecoder::operator=(TextDecoder &&) noexcept = default;

QByteArray TextDecoder::name() const
{
    if (!m_converter)
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const char *const name = ucnv_getName(m_converter.get(), &status);
    return U_SUCCESS(status) ? QByteArray(name) : QByteArray();
}

QString TextDecoder::decode(QByteArrayView bytes)
{
    return convert(bytes, false);
}

QString TextDecoder::finish()
{
    return convert({}, true);
}

bool TextDecoder::holdsPart() const
{
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
