// The CRC-32 checksum that ZIP archives carry for every entry.
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace CRC32 {

// The standard CRC-32 of ZIP (reflected polynomial 0xEDB88320, start value
// 0xFFFFFFFF, result complemented). Empty data gives 0.
quint32 checksum(QByteArrayView data);

// Continues a checksum over more data, so that a file can be summed piece by
// piece: extend(checksum(a), b) == checksum(a + b), and extend(0, a) == checksum(a).
quint32 extend(quint32 checksum, QByteArrayView data);

} // namespace CRC32
