#include "Crc32.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QRandomGenerator>

namespace {
// The checksum bit by bit, straight from the polynomial, as a reference.
quint32 bitwise(QByteArrayView data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}
} // namespace

TEST(Crc32, AgreesWithTheReferenceForEveryLengthAndSplit)
{
    EXPECT_EQ(CRC32::checksum(QByteArrayView()), 0u);
    EXPECT_EQ(CRC32::checksum("123456789"), 0xCBF43926u);
    QByteArray data(4099, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char &byte : data)
        byte = char(generator.bounded(256));
    for (qsizetype length : {1, 7, 8, 9, 15, 16, 17, 63, 1000, 4099}) {
        const QByteArrayView part(data.constData(), length);
        const quint32 expected = bitwise(part);
        EXPECT_EQ(CRC32::checksum(part), expected) << length;
        for (qsizetype split : {qsizetype(0), qsizetype(1), length / 3, length - 1, length}) {
            const quint32 head = CRC32::checksum(part.first(split));
            EXPECT_EQ(CRC32::extend(head, part.sliced(split)), expected) << length << " split at " << split;
        }
    }
}
