// The decoders of the Encoding Standard for the legacy character sets of the
// web: the single-byte sets, gb18030 (also for GBK), Big5, EUC-JP,
// ISO-2022-JP, Shift_JIS and EUC-KR, with the Standard's indexes and its
// rules for broken sequences (which bytes of one are read again). A decoder
// is fed its bytes in pieces, however cut: it keeps the bytes of an unfinished
// sequence, so the text equals that of the whole bytes decoded at once.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

class LegacyDecoder
{
public:
    // The decoder for the set of that name in the Standard ("Shift_JIS",
    // "gb18030", "windows-1252" ...; case does not matter), or none.
    static std::optional<LegacyDecoder> named(QByteArrayView name);

    // The set's name in the Standard.
    const char *name() const { return m_name; }

    // The text of the next piece.
    QString decode(QByteArrayView bytes);
    // The bytes have ended: an unfinished sequence becomes U+FFFD.
    QString finish();
    // Whether bytes of an unfinished sequence are held.
    bool holdsPart() const;

private:
    enum class Set : std::uint8_t { SingleByte, Gb18030, Big5, EucJp, Iso2022Jp, ShiftJis, EucKr };
    // The states of ISO-2022-JP.
    enum class Mode : std::uint8_t { Ascii, Roman, Katakana, LeadByte, TrailByte, EscapeStart, Escape };
    static constexpr int endOfInput = -1;

    class Output;

    LegacyDecoder(Set set, const char *name, const char16_t *codes = nullptr);

    template<void (LegacyDecoder::*stepOf)(int, Output &), bool (*isLead)(int), char32_t (*pairOf)(int, int)>
    void decodeWith(const std::uint8_t *byte, const std::uint8_t *end, Output &out);
    // One byte (or the end of the input) through the set's decoder; a byte
    // the Standard reads again is handed to `step` again from inside.
    void step(int byte, Output &out);
    void putPair(char32_t c, int trail, Output &out);
    void endWithLead(Output &out);
    void stepGb18030(int byte, Output &out);
    void stepBig5(int byte, Output &out);
    void stepEucJp(int byte, Output &out);
    void stepIso2022Jp(int byte, Output &out);
    void stepShiftJis(int byte, Output &out);
    void stepEucKr(int byte, Output &out);

    Set m_set;
    const char *m_name;
    const char16_t *m_codes; // a single-byte set's code of each byte
    // The bytes of an unfinished sequence (the Standard's lead, or gb18030's
    // first, second and third).
    std::uint8_t m_first = 0;
    std::uint8_t m_second = 0;
    std::uint8_t m_third = 0;
    bool m_jis0212 = false; // EUC-JP: the lead came after 0x8F
    Mode m_mode = Mode::Ascii;
    Mode m_outputMode = Mode::Ascii;
    bool m_outputFlag = false; // ISO-2022-JP: nothing since the last escape
};
