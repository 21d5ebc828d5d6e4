// The Encoding Standard's indexes of the legacy character sets: for each
// pointer (a number the decoder computes from a sequence's bytes) the code
// point it stands for, 0 where the index has none. The tables are generated;
// see scripts/generate-encoding-indexes.
#pragma once

#include <cstdint>
#include <span>

namespace EncodingIndexes {

std::span<const char32_t> big5();
std::span<const char16_t> jis0208();
std::span<const char16_t> jis0212();
std::span<const char16_t> eucKr();
std::span<const char16_t> gb18030();

// The four-byte ranges of gb18030: from `pointer` on, code points count up
// from `codePoint`. Sorted by pointer.
struct Range
{
    std::uint32_t pointer;
    std::uint32_t codePoint;
};
std::span<const Range> gb18030Ranges();

// A single-byte set: the code of every byte, ASCII below 0x80, and U+FFFD
// where the index has none.
struct SingleByte
{
    const char *name; // the set's name in the Standard
    char16_t codes[256];
};
std::span<const SingleByte> singleByte();

} // namespace EncodingIndexes
