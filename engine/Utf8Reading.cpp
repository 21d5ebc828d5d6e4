#include "Utf8Reading.h"

Utf8Reading readAsUtf8(QByteArrayView bytes, qsizetype &cutFrom)
{
    const auto *const byte = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = byte[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int needed = 0;
        unsigned char lower = 0x80;
        unsigned char upper = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            needed = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            needed = 2;
            lower = lead == 0xE0 ? 0xA0 : lower;
            upper = lead == 0xED ? 0x9F : upper;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            needed = 3;
            lower = lead == 0xF0 ? 0x90 : lower;
            upper = lead == 0xF4 ? 0x8F : upper;
        } else {
            cutFrom = i;
            return Utf8Reading::broken;
        }
        const qsizetype start = i++;
        for (int k = 0; k < needed; ++k, ++i) {
            if (i == size) {
                cutFrom = start;
                return Utf8Reading::cutAtEnd;
            }
            if (byte[i] < lower || byte[i] > upper) {
                cutFrom = start;
                return Utf8Reading::broken;
            }
            lower = 0x80;
            upper = 0xBF;
        }
    }
    return Utf8Reading::whole;
}
