#include "LegacyDecoder.h"

#include "EncodingIndexes.h"

#include <algorithm>
#include <array>

namespace {

inline bool isAscii(int byte)
{
    return byte >= 0 && byte < 0x80;
}

inline bool inRange(int byte, int first, int last)
{
    return byte >= first && byte <= last;
}

// The indexes, looked up once.
const std::span<const char32_t> big5Index = EncodingIndexes::big5();
const std::span<const char16_t> jis0208Index = EncodingIndexes::jis0208();
const std::span<const char16_t> jis0212Index = EncodingIndexes::jis0212();
const std::span<const char16_t> eucKrIndex = EncodingIndexes::eucKr();
const std::span<const char16_t> gb18030Index = EncodingIndexes::gb18030();

// The code point at the pointer of an index, 0 when it has none there.
template<typename Code>
inline char32_t at(std::span<const Code> index, int pointer)
{
    return pointer >= 0 && std::size_t(pointer) < index.size() ? char32_t(index[std::size_t(pointer)]) : 0;
}

// The code point of a four-byte gb18030 sequence's pointer, 0 for none.
char32_t gb18030RangesCodePoint(std::uint32_t pointer)
{
    if ((pointer > 39419 && pointer < 189000) || pointer > 1237575)
        return 0;
    if (pointer == 7457)
        return 0xE7C7;
    if (pointer >= 189000) // the last range: every code point above the BMP
        return char32_t(0x10000 + pointer - 189000);
    const auto ranges = EncodingIndexes::gb18030Ranges();
    const auto after = std::upper_bound(ranges.begin(), ranges.end(), pointer,
                                        [](std::uint32_t p, const EncodingIndexes::Range &range) { return p < range.pointer; });
    const EncodingIndexes::Range &range = *(after - 1); // the first range starts at pointer 0
    return char32_t(range.codePoint + pointer - range.pointer);
}

// The lead bytes of two-byte sequences that need no more than the byte after
// them.
inline bool isGbkLead(int byte)
{
    return inRange(byte, 0x81, 0xFE);
}

inline bool isEucJpLead(int byte)
{
    return byte == 0x8E || inRange(byte, 0xA1, 0xFE);
}

inline bool isShiftJisLead(int byte)
{
    return inRange(byte, 0x81, 0x9F) || inRange(byte, 0xE0, 0xFC);
}

// The code point of a lead byte and the byte after it, in the sets of two-byte
// sequences; 0 when they are none (the caller then reads them as an error,
// or as the start of a longer sequence).
inline char32_t gb18030Pair(int lead, int byte)
{
    if (!inRange(byte, 0x40, 0x7E) && !inRange(byte, 0x80, 0xFE))
        return 0;
    return at(gb18030Index, (lead - 0x81) * 190 + byte - (byte < 0x7F ? 0x40 : 0x41));
}

inline char32_t big5Pair(int lead, int byte)
{
    if (!inRange(byte, 0x40, 0x7E) && !inRange(byte, 0xA1, 0xFE))
        return 0;
    return at(big5Index, (lead - 0x81) * 157 + byte - (byte < 0x7F ? 0x40 : 0x62));
}

inline char32_t eucJpPair(int lead, int byte)
{
    if (lead == 0x8E)
        return inRange(byte, 0xA1, 0xDF) ? char32_t(0xFF61 - 0xA1 + byte) : 0;
    if (!inRange(lead, 0xA1, 0xFE) || !inRange(byte, 0xA1, 0xFE))
        return 0;
    return at(jis0208Index, (lead - 0xA1) * 94 + byte - 0xA1);
}

inline int shiftJisPointer(int lead, int byte)
{
    if (!inRange(byte, 0x40, 0x7E) && !inRange(byte, 0x80, 0xFC))
        return -1;
    return (lead - (lead < 0xA0 ? 0x81 : 0xC1)) * 188 + byte - (byte < 0x7F ? 0x40 : 0x41);
}

inline char32_t shiftJisPair(int lead, int byte)
{
    const int pointer = shiftJisPointer(lead, byte);
    // The user-defined area: private-use characters.
    if (inRange(pointer, 8836, 10715))
        return char32_t(0xE000 - 8836 + pointer);
    return at(jis0208Index, pointer);
}

inline char32_t eucKrPair(int lead, int byte)
{
    return inRange(byte, 0x41, 0xFE) ? at(eucKrIndex, (lead - 0x81) * 190 + byte - 0x41) : 0;
}

} // namespace

// The decoded text, written straight into a string that grows as needed.
class LegacyDecoder::Output
{
public:
    explicit Output(qsizetype expected)
    {
        m_text.resize(expected + 16);
        reset(0);
    }

    void put(char32_t c)
    {
        if (m_end - m_at < 2)
            grow();
        if (c > 0xFFFF) {
            *m_at++ = QChar::highSurrogate(c);
            *m_at++ = QChar::lowSurrogate(c);
        } else {
            *m_at++ = char16_t(c);
        }
    }
    void error() { put(0xFFFD); }

    QString take()
    {
        m_text.truncate(m_at - m_begin);
        return std::move(m_text);
    }

private:
    void reset(qsizetype written)
    {
        m_begin = reinterpret_cast<char16_t *>(m_text.data());
        m_at = m_begin + written;
        m_end = m_begin + m_text.size();
    }
    void grow()
    {
        const qsizetype written = m_at - m_begin;
        m_text.resize(m_text.size() * 2);
        reset(written);
    }

    QString m_text;
    char16_t *m_begin = nullptr;
    char16_t *m_at = nullptr;
    char16_t *m_end = nullptr;
};

LegacyDecoder::LegacyDecoder(Set set, const char *name, const char16_t *codes)
    : m_set(set)
    , m_name(name)
    , m_codes(codes)
{
}

std::optional<LegacyDecoder> LegacyDecoder::named(QByteArrayView name)
{
    const auto is = [name](const char *candidate) { return name.compare(candidate, Qt::CaseInsensitive) == 0; };
    static constexpr std::array<std::pair<const char *, Set>, 7> multiByte{{
        {"gb18030", Set::Gb18030},
        {"GBK", Set::Gb18030},
        {"Big5", Set::Big5},
        {"EUC-JP", Set::EucJp},
        {"ISO-2022-JP", Set::Iso2022Jp},
        {"Shift_JIS", Set::ShiftJis},
        {"EUC-KR", Set::EucKr},
    }};
    for (const auto &[setName, set] : multiByte) {
        if (is(setName))
            return LegacyDecoder(set, setName);
    }
    for (const EncodingIndexes::SingleByte &set : EncodingIndexes::singleByte()) {
        if (is(set.name))
            return LegacyDecoder(Set::SingleByte, set.name, set.codes);
    }
    return std::nullopt;
}

QString LegacyDecoder::decode(QByteArrayView bytes)
{
    const auto *byte = reinterpret_cast<const std::uint8_t *>(bytes.data());
    const auto *const end = byte + bytes.size();
    if (m_set == Set::SingleByte) {
        QString text(bytes.size(), Qt::Uninitialized);
        auto *at = reinterpret_cast<char16_t *>(text.data());
        for (; byte != end; ++byte)
            *at++ = m_codes[*byte];
        return text;
    }
    Output out(bytes.size());
    switch (m_set) {
    case Set::SingleByte:
        break;
    case Set::Gb18030:
        decodeWith<&LegacyDecoder::stepGb18030, isGbkLead, gb18030Pair>(byte, end, out);
        break;
    case Set::Big5:
        decodeWith<&LegacyDecoder::stepBig5, isGbkLead, big5Pair>(byte, end, out);
        break;
    case Set::EucJp:
        decodeWith<&LegacyDecoder::stepEucJp, isEucJpLead, eucJpPair>(byte, end, out);
        break;
    case Set::Iso2022Jp:
        for (; byte != end; ++byte)
            stepIso2022Jp(*byte, out);
        break;
    case Set::ShiftJis:
        decodeWith<&LegacyDecoder::stepShiftJis, isShiftJisLead, shiftJisPair>(byte, end, out);
        break;
    case Set::EucKr:
        decodeWith<&LegacyDecoder::stepEucKr, isGbkLead, eucKrPair>(byte, end, out);
        break;
    }
    return out.take();
}

// The sets in which a byte below 0x80 between sequences is ASCII: those
// bytes, lead bytes and a lead byte's pair that is a character take the
// short way, with the lead kept at hand; everything else goes through the
// set's step.
template<void (LegacyDecoder::*stepOf)(int, LegacyDecoder::Output &), bool (*isLead)(int), char32_t (*pairOf)(int, int)>
void LegacyDecoder::decodeWith(const std::uint8_t *byte, const std::uint8_t *end, Output &out)
{
    int lead = m_first;
    for (; byte != end; ++byte) {
        const int b = *byte;
        if (lead == 0) {
            if (b < 0x80) {
                out.put(char32_t(b));
                continue;
            }
            if (isLead(b)) {
                lead = b;
                continue;
            }
        } else if (m_second == 0 && !m_jis0212) {
            if (const char32_t c = pairOf(lead, b)) {
                lead = 0;
                out.put(c);
                continue;
            }
        }
        m_first = std::uint8_t(lead);
        (this->*stepOf)(b, out);
        lead = m_first;
    }
    m_first = std::uint8_t(lead);
}

QString LegacyDecoder::finish()
{
    Output out(0);
    step(endOfInput, out);
    m_first = m_second = m_third = 0;
    m_jis0212 = false;
    m_mode = m_outputMode = Mode::Ascii;
    m_outputFlag = false;
    return out.take();
}

bool LegacyDecoder::holdsPart() const
{
    return m_first != 0 || m_mode == Mode::EscapeStart || m_mode == Mode::Escape;
}

void LegacyDecoder::step(int byte, Output &out)
{
    switch (m_set) {
    case Set::SingleByte:
        break; // decoded in decode()
    case Set::Gb18030:
        stepGb18030(byte, out);
        break;
    case Set::Big5:
        stepBig5(byte, out);
        break;
    case Set::EucJp:
        stepEucJp(byte, out);
        break;
    case Set::Iso2022Jp:
        stepIso2022Jp(byte, out);
        break;
    case Set::ShiftJis:
        stepShiftJis(byte, out);
        break;
    case Set::EucKr:
        stepEucKr(byte, out);
        break;
    }
}

// The pair's character; else an error, and a trail below 0x80 is read
// again as a character of its own.
void LegacyDecoder::putPair(char32_t c, int trail, Output &out)
{
    if (c != 0) {
        out.put(c);
        return;
    }
    out.error();
    if (isAscii(trail))
        step(trail, out);
}

// The input ended: a lead still held is an error.
void LegacyDecoder::endWithLead(Output &out)
{
    if (m_first != 0)
        out.error();
    m_first = 0;
}

void LegacyDecoder::stepGb18030(int byte, Output &out)
{
    if (byte == endOfInput) {
        if (m_first != 0)
            out.error();
        m_first = m_second = m_third = 0;
        return;
    }
    if (m_third != 0) {
        const int second = m_second;
        const int third = m_third;
        const int first = m_first;
        m_first = m_second = m_third = 0;
        if (!inRange(byte, 0x30, 0x39)) {
            out.error();
            step(second, out);
            step(third, out);
            step(byte, out);
            return;
        }
        const auto pointer = std::uint32_t((((first - 0x81) * 10 + second - 0x30) * 126 + third - 0x81) * 10 + byte - 0x30);
        const char32_t c = gb18030RangesCodePoint(pointer);
        c ? out.put(c) : out.error();
        return;
    }
    if (m_second != 0) {
        if (inRange(byte, 0x81, 0xFE)) {
            m_third = std::uint8_t(byte);
            return;
        }
        const int second = m_second;
        m_first = m_second = 0;
        out.error();
        step(second, out);
        step(byte, out);
        return;
    }
    if (m_first != 0) {
        if (inRange(byte, 0x30, 0x39)) {
            m_second = std::uint8_t(byte);
            return;
        }
        const int lead = m_first;
        m_first = 0;
        putPair(gb18030Pair(lead, byte), byte, out);
        return;
    }
    if (isAscii(byte))
        out.put(char32_t(byte));
    else if (byte == 0x80)
        out.put(0x20AC);
    else if (inRange(byte, 0x81, 0xFE))
        m_first = std::uint8_t(byte);
    else
        out.error();
}

void LegacyDecoder::stepBig5(int byte, Output &out)
{
    if (byte == endOfInput) {
        endWithLead(out);
        return;
    }
    if (m_first != 0) {
        const int lead = m_first;
        m_first = 0;
        // Four pairs stand for a letter and a combining mark.
        if (lead == 0x88 && (byte == 0x62 || byte == 0x64 || byte == 0xA3 || byte == 0xA5)) {
            out.put(byte < 0x80 ? 0xCA : 0xEA);
            out.put(byte == 0x62 || byte == 0xA3 ? 0x304 : 0x30C);
            return;
        }
        putPair(big5Pair(lead, byte), byte, out);
        return;
    }
    if (isAscii(byte))
        out.put(char32_t(byte));
    else if (inRange(byte, 0x81, 0xFE))
        m_first = std::uint8_t(byte);
    else
        out.error();
}

void LegacyDecoder::stepEucJp(int byte, Output &out)
{
    if (byte == endOfInput) {
        if (m_first != 0)
            out.error();
        m_first = 0;
        m_jis0212 = false;
        return;
    }
    if (m_first == 0x8F && inRange(byte, 0xA1, 0xFE)) {
        m_jis0212 = true;
        m_first = std::uint8_t(byte);
        return;
    }
    if (m_first != 0) {
        const int lead = m_first;
        m_first = 0;
        char32_t c = 0;
        if (!m_jis0212)
            c = eucJpPair(lead, byte);
        else if (inRange(byte, 0xA1, 0xFE))
            c = at(jis0212Index, (lead - 0xA1) * 94 + byte - 0xA1);
        m_jis0212 = false;
        putPair(c, byte, out);
        return;
    }
    if (isAscii(byte))
        out.put(char32_t(byte));
    else if (byte == 0x8E || byte == 0x8F || inRange(byte, 0xA1, 0xFE))
        m_first = std::uint8_t(byte);
    else
        out.error();
}

void LegacyDecoder::stepIso2022Jp(int byte, Output &out)
{
    if (byte == 0x1B && m_mode != Mode::EscapeStart && m_mode != Mode::Escape) {
        if (m_mode == Mode::TrailByte)
            out.error();
        m_first = 0;
        m_mode = Mode::EscapeStart;
        return;
    }
    switch (m_mode) {
    case Mode::Ascii:
    case Mode::Roman:
        if (byte == endOfInput)
            return;
        m_outputFlag = false;
        if (byte > 0x7F || byte == 0x0E || byte == 0x0F)
            out.error();
        else if (m_mode == Mode::Roman && byte == 0x5C)
            out.put(0xA5);
        else if (m_mode == Mode::Roman && byte == 0x7E)
            out.put(0x203E);
        else
            out.put(char32_t(byte));
        return;
    case Mode::Katakana:
        if (byte == endOfInput)
            return;
        m_outputFlag = false;
        inRange(byte, 0x21, 0x5F) ? out.put(char32_t(0xFF61 - 0x21 + byte)) : out.error();
        return;
    case Mode::LeadByte:
        if (byte == endOfInput)
            return;
        m_outputFlag = false;
        if (inRange(byte, 0x21, 0x7E)) {
            m_first = std::uint8_t(byte);
            m_mode = Mode::TrailByte;
        } else {
            out.error();
        }
        return;
    case Mode::TrailByte: {
        // Any byte but ESC ends the pair; one outside 0x21 to 0x7E with it.
        const int lead = m_first;
        m_first = 0;
        m_mode = Mode::LeadByte;
        const char32_t c = inRange(byte, 0x21, 0x7E) ? at(jis0208Index, (lead - 0x21) * 94 + byte - 0x21) : 0;
        c ? out.put(c) : out.error();
        return;
    }
    case Mode::EscapeStart:
        if (byte == 0x24 || byte == 0x28) {
            m_first = std::uint8_t(byte);
            m_mode = Mode::Escape;
            return;
        }
        m_outputFlag = false;
        m_mode = m_outputMode;
        out.error();
        step(byte, out);
        return;
    case Mode::Escape: {
        const int lead = m_first;
        m_first = 0;
        std::optional<Mode> mode;
        if (lead == 0x28 && byte == 0x42)
            mode = Mode::Ascii;
        else if (lead == 0x28 && byte == 0x4A)
            mode = Mode::Roman;
        else if (lead == 0x28 && byte == 0x49)
            mode = Mode::Katakana;
        else if (lead == 0x24 && (byte == 0x40 || byte == 0x42))
            mode = Mode::LeadByte;
        if (mode) {
            m_mode = m_outputMode = *mode;
            // Two escapes with nothing between them are an error.
            if (m_outputFlag)
                out.error();
            m_outputFlag = true;
            return;
        }
        // Not an escape the set knows: its bytes are read again.
        m_outputFlag = false;
        m_mode = m_outputMode;
        out.error();
        step(lead, out);
        step(byte, out);
        return;
    }
    }
}

void LegacyDecoder::stepShiftJis(int byte, Output &out)
{
    if (byte == endOfInput) {
        endWithLead(out);
        return;
    }
    if (m_first != 0) {
        const int lead = m_first;
        m_first = 0;
        putPair(shiftJisPair(lead, byte), byte, out);
        return;
    }
    if (isAscii(byte) || byte == 0x80)
        out.put(char32_t(byte));
    else if (inRange(byte, 0xA1, 0xDF))
        out.put(char32_t(0xFF61 - 0xA1 + byte));
    else if (inRange(byte, 0x81, 0x9F) || inRange(byte, 0xE0, 0xFC))
        m_first = std::uint8_t(byte);
    else
        out.error();
}

void LegacyDecoder::stepEucKr(int byte, Output &out)
{
    if (byte == endOfInput) {
        endWithLead(out);
        return;
    }
    if (m_first != 0) {
        const int lead = m_first;
        m_first = 0;
        putPair(eucKrPair(lead, byte), byte, out);
        return;
    }
    if (isAscii(byte))
        out.put(char32_t(byte));
    else if (inRange(byte, 0x81, 0xFE))
        m_first = std::uint8_t(byte);
    else
        out.error();
}
