#include "Crc32.h"

#include <array>

namespace {

constexpr quint32 polynomial = 0xEDB88320u;

// table[0] is the classic table of 256 entries, one per byte value. The seven
// further rows let the loop below take eight bytes per step ("slicing by
// eight"); they are derived from the first row and give the same checksum.
using Table = std::array<std::array<quint32, 256>, 8>;

Table makeTable()
{
    Table table{};
    for (quint32 byte = 0; byte < 256; ++byte) {
        quint32 crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ polynomial : crc >> 1;
        table[0][byte] = crc;
    }
    for (int row = 1; row < 8; ++row) {
        for (int byte = 0; byte < 256; ++byte) {
            const quint32 previous = table[row - 1][byte];
            table[row][byte] = (previous >> 8) ^ table[0][previous & 0xFFu];
        }
    }
    return table;
}

// Built once, on first use, under the compiler's thread-safe initialisation of
// function-local statics; never changed afterwards.
const Table &table()
{
    static const Table instance = makeTable();
    return instance;
}

quint32 load32(const uchar *bytes)
{
    return quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16 | quint32(bytes[3]) << 24;
}

} // namespace

namespace CRC32 {

quint32 extend(quint32 checksum, QByteArrayView data)
{
    const Table &t = table();
    const auto *bytes = reinterpret_cast<const uchar *>(data.data());
    qsizetype remaining = data.size();
    quint32 crc = ~checksum;
    while (remaining >= 8) {
        const quint32 low = load32(bytes) ^ crc;
        const quint32 high = load32(bytes + 4);
        crc = t[7][low & 0xFFu] ^ t[6][(low >> 8) & 0xFFu] ^ t[5][(low >> 16) & 0xFFu] ^ t[4][low >> 24]
            ^ t[3][high & 0xFFu] ^ t[2][(high >> 8) & 0xFFu] ^ t[1][(high >> 16) & 0xFFu] ^ t[0][high >> 24];
        bytes += 8;
        remaining -= 8;
    }
    while (remaining-- > 0)
        crc = t[0][(crc ^ *bytes++) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

quint32 checksum(QByteArrayView data)
{
    return extend(0, data);
}

} // namespace CRC32
