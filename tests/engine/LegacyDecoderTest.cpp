#include "TestSupport.h"
#include "TextDecoder.h"
#include "TextExtractor.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QString decoded(const char *set, QByteArrayView bytes)
{
    TextDecoder decoder(set);
    QString text = decoder.decode(bytes);
    return text + decoder.finish();
}

QString points(std::initializer_list<char32_t> codes)
{
    QString text;
    for (const char32_t code : codes)
        text += QChar::fromUcs4(code); // not QString::fromUcs4, which drops U+FEFF as a byte order mark
    return text;
}

} // namespace

// Sequences where ICU's tables or its handling of broken sequences differ
// from the Encoding Standard: decoded as the Standard says, in one piece and
// cut anywhere into two.
TEST(LegacyDecoder, DecodesAsTheEncodingStandardWhereIcuDiffers)
{
    const struct
    {
        const char *set;
        QByteArray bytes;
        QString text;
    } cases[] = {
        // Big5: an ASCII byte after a lead is read again, any other is not.
        {"Big5", "\x81\x41", u"\uFFFDA"_s},
        {"Big5", "\x81\x81\x5A", u"\uFFFDZ"_s},
        {"Big5", "\x87\xA4\x88\x40", u"\u9F97\u31C0"_s},
        {"Big5", "\x88\x62\x88\x64", u"\u00CA\u0304\u00CA\u030C"_s},
        // EUC-JP
        {"EUC-JP", "\x8E\x80\x5A", u"\uFFFDZ"_s},
        {"EUC-JP", "\x80\x8D\x90\x9F", u"\uFFFD\uFFFD\uFFFD\uFFFD"_s},
        {"EUC-JP", "\x8F\xF3\xA1" "A", u"\uFFFDA"_s},
        {"EUC-JP", "\x8E\xB1\x8F\xB0\xA1", u"\uFF71\u4E02"_s},
        // gb18030 and GBK: the euro sign, U+3000, four-byte sequences, and
        // the GB18030-2022 codes.
        {"GBK", "12,50\x80", u"12,50€"_s},
        {"gb18030", "\xA3\xA0", u"\u3000"_s},
        {"gb18030", "\x84\x31\xA5\x30" "1", u"\uFFFD1"_s},
        {"gb18030", "\x81\x30\x81\x30\x90\x30\x81\x30", points({0x80, 0x10000})},
        {"gb18030", "\x81\x30\x81" "A", u"\uFFFD0\u4E04"_s},
        {"gb18030", "\xA6\xD9\xA6\xDA\xFE\x59\xFE\xA0", u"\uFE10\uFE12\u9FB4\u9FBB"_s},
        // ISO-2022-JP: an unknown escape keeps its bytes; a line break
        // between kanji or katakana is an error that keeps the state; a
        // second byte outside 0x21 to 0x7E ends the pair with one U+FFFD.
        {"ISO-2022-JP", "\x1B\x24\x41\x42", u"\uFFFD$AB"_s},
        {"ISO-2022-JP", "\x1B$B\n0\"", u"\uFFFD\u5516"_s},
        {"ISO-2022-JP", "\x1B(I\n1\x1B(B\n", u"\uFFFD\uFF71\n"_s},
        {"ISO-2022-JP", "\x1B\x24\x42\x21\x7F", u"\uFFFD"_s},
        {"ISO-2022-JP", "\x1B(J\\~\x1B(B\x1B$B", u"\u00A5\u203E\uFFFD"_s},
        // EUC-KR (windows-949)
        {"EUC-KR", "\x80\xFF", u"\uFFFD\uFFFD"_s},
        {"EUC-KR", "\xC9\xA1\xFE\xA1", u"\uFFFD\uFFFD"_s},
        {"EUC-KR", "\xB0\xFF" "A", u"\uFFFDA"_s},
        // Shift_JIS
        {"Shift_JIS", "\x1A\x1C\x7F\x80", u"\x1A\x1C\x7F\u0080"_s},
        {"Shift_JIS", "\x81\xFD" "A", u"\uFFFDA"_s},
        {"Shift_JIS", "\xF0\x40", u"\uE000"_s},
        // Single-byte sets
        {"IBM866", "\x1A\x1C\x7F", u"\x1A\x1C\x7F"_s},
        {"KOI8-U", "\xAE\xBE", u"ўЎ"_s},
        {"windows-874", "\xDB\xDC\xDD\xDE\xFC\xFD\xFE\xFF", QString(8, QChar(0xFFFD))},
        {"windows-1253", "\xAA", u"\uFFFD"_s},
        {"windows-1255", "\xCA", u"\u05BA"_s},
    };
    for (const auto &[set, bytes, text] : cases) {
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            TextDecoder decoder(set);
            ASSERT_TRUE(decoder.isValid() && decoder.isAsciiCompatible()) << set;
            QString pieces = decoder.decode(bytes.first(cut));
            pieces += decoder.decode(bytes.sliced(cut));
            pieces += decoder.finish();
            EXPECT_EQ(pieces.toStdString(), text.toStdString()) << set << " " << bytes.toHex(' ').toStdString() << " cut at " << cut;
        }
    }

    // The receipts that read wrongly: the euro sign of GBK, and Big5; and
    // NUL still never reaches the text.
    const QTemporaryDir dir;
    const std::pair<QByteArray, QString> pages[] = {
        {"<meta charset=gbk><p>\xD5\xC5 Summe 12,50\x80</p>", u"张 Summe 12,50€\n"_s},
        {"<meta charset=big5><p>\x81" "A 12,50 \x87\xA4</p>", u"\uFFFDA 12,50 \u9F97\n"_s},
        {"<meta charset=shift_jis><p>a\0b\x82\0c</p>"_ba, u"ab\uFFFDc\n"_s},
    };
    for (const auto &[page, text] : pages) {
        const QString path = dir.filePath(u"receipt.html"_s);
        ASSERT_TRUE(TestSupport::writeFile(path, page));
        EXPECT_EQ(TextExtractor::text(path).text, text);
    }
}

namespace {

// The Standard's indexes as the test data holds them: pointer to code point,
// 0 for none.
class Indexes
{
public:
    Indexes()
    {
        QFile file(QStringLiteral(FILEWRIGHT_TEST_DATA "/encoding/encoding-indexes.js"));
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray script = file.readAll();
        const qsizetype start = script.indexOf('{', script.indexOf("global[\"encoding-indexes\"]"));
        m_indexes = QJsonDocument::fromJson(script.mid(start, script.indexOf("\n};", start) + 2 - start)).object();
    }
    bool isEmpty() const { return m_indexes.isEmpty(); }
    QStringList names() const { return m_indexes.keys(); }
    char32_t at(const QString &name, int pointer) const
    {
        return char32_t(m_indexes.value(name).toArray().at(pointer).toInteger());
    }
    QJsonArray all(const QString &name) const { return m_indexes.value(name).toArray(); }

private:
    QJsonObject m_indexes;
};

// A legacy multi-byte set as the Standard's decoder reads two bytes: a
// pointer when the first is a lead and the second may follow it, the index
// it is looked up in, and what a byte alone is.
struct PairSet
{
    const char *name;
    QString index;
    std::function<bool(int)> isLead;
    std::function<int(int lead, int trail)> pointer; // -1: the second byte may not follow
    std::function<char32_t(int)> alone = [](int byte) { return byte < 0x80 ? char32_t(byte) : 0xFFFD; };
};

int inRange(int byte, int first, int last)
{
    return byte >= first && byte <= last;
}

} // namespace

// Every first byte with every second byte, every four-byte sequence of
// gb18030 and the upper half of every single-byte set, against the index
// files of the Standard.
TEST(LegacyDecoder, EveryPairDecodesAsTheStandardsIndexesSay)
{
    const Indexes indexes;
    ASSERT_FALSE(indexes.isEmpty());
    // The GB18030-2022 update of index gb18030 (the test data predates it).
    const std::map<int, char32_t> gb2022{
        {0xA6D9, 0xFE10}, {0xA6DA, 0xFE12}, {0xA6DB, 0xFE11}, {0xA6DC, 0xFE13}, {0xA6DD, 0xFE14}, {0xA6DE, 0xFE15},
        {0xA6DF, 0xFE16}, {0xA6EC, 0xFE17}, {0xA6ED, 0xFE18}, {0xA6F3, 0xFE19}, {0xFE59, 0x9FB4}, {0xFE61, 0x9FB5},
        {0xFE66, 0x9FB6}, {0xFE67, 0x9FB7}, {0xFE6D, 0x9FB8}, {0xFE7E, 0x9FB9}, {0xFE90, 0x9FBA}, {0xFEA0, 0x9FBB}};
    const auto gbPointer = [](int lead, int trail) {
        return inRange(trail, 0x40, 0x7E) || inRange(trail, 0x80, 0xFE) ? (lead - 0x81) * 190 + trail - (trail < 0x7F ? 0x40 : 0x41) : -1;
    };
    const PairSet sets[] = {
        {"Big5", u"big5"_s, [](int b) { return inRange(b, 0x81, 0xFE); },
         [](int lead, int trail) {
             return inRange(trail, 0x40, 0x7E) || inRange(trail, 0xA1, 0xFE) ? (lead - 0x81) * 157 + trail - (trail < 0x7F ? 0x40 : 0x62) : -1;
         }},
        {"EUC-KR", u"euc-kr"_s, [](int b) { return inRange(b, 0x81, 0xFE); },
         [](int lead, int trail) { return inRange(trail, 0x41, 0xFE) ? (lead - 0x81) * 190 + trail - 0x41 : -1; }},
        {"gb18030", u"gb18030"_s, [](int b) { return inRange(b, 0x81, 0xFE); }, gbPointer,
         [](int b) { return b < 0x80 ? char32_t(b) : b == 0x80 ? 0x20AC : 0xFFFD; }},
        {"Shift_JIS", u"jis0208"_s, [](int b) { return inRange(b, 0x81, 0x9F) || inRange(b, 0xE0, 0xFC); },
         [](int lead, int trail) {
             return inRange(trail, 0x40, 0x7E) || inRange(trail, 0x80, 0xFC)
                 ? (lead - (lead < 0xA0 ? 0x81 : 0xC1)) * 188 + trail - (trail < 0x7F ? 0x40 : 0x41) : -1;
         },
         [](int b) { return b <= 0x80 ? char32_t(b) : inRange(b, 0xA1, 0xDF) ? char32_t(0xFF61 - 0xA1 + b) : 0xFFFD; }},
        {"EUC-JP", u"jis0208"_s, [](int b) { return b == 0x8E || b == 0x8F || inRange(b, 0xA1, 0xFE); },
         [](int lead, int trail) { return inRange(lead, 0xA1, 0xFE) && inRange(trail, 0xA1, 0xFE) ? (lead - 0xA1) * 94 + trail - 0xA1 : -1; }},
    };
    for (const PairSet &set : sets) {
        const std::string_view name = set.name;
        const QJsonArray index = indexes.all(set.index);
        // The text of the two bytes alone, as the Standard's decoder reads them.
        const auto expected = [&](int lead, int trail) -> QString {
            if (!set.isLead(lead))
                return points({set.alone(lead), set.alone(trail)});
            if (name == "EUC-JP" && lead == 0x8E && inRange(trail, 0xA1, 0xDF))
                return points({char32_t(0xFF61 - 0xA1 + trail)});
            // The start of a longer sequence, cut off by the end.
            if ((name == "gb18030" && inRange(trail, 0x30, 0x39)) || (name == "EUC-JP" && lead == 0x8F && inRange(trail, 0xA1, 0xFE)))
                return u"\uFFFD"_s;
            const int pointer = set.pointer(lead, trail);
            char32_t code = pointer >= 0 ? char32_t(index.at(pointer).toInteger()) : 0;
            if (name == "gb18030" && gb2022.contains(lead << 8 | trail))
                code = gb2022.at(lead << 8 | trail);
            if (name == "Big5" && (pointer == 1133 || pointer == 1135 || pointer == 1164 || pointer == 1166))
                return points({pointer < 1164 ? 0xCAu : 0xEAu, pointer == 1133 || pointer == 1164 ? 0x304u : 0x30Cu});
            if (name == "Shift_JIS" && inRange(pointer, 8836, 10715))
                code = char32_t(0xE000 - 8836 + pointer);
            if (code != 0)
                return points({code});
            return trail < 0x80 ? points({0xFFFD, char32_t(trail)}) : u"\uFFFD"_s;
        };
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (int trail = 0; trail <= 0xFF; ++trail) {
                const char pair[] = {char(lead), char(trail)};
                ASSERT_EQ(decoded(set.name, QByteArrayView(pair, 2)).toStdString(), expected(lead, trail).toStdString())
                    << set.name << " " << std::hex << lead << " " << trail;
            }
        }
    }

    // EUC-JP's three-byte sequences, and ISO-2022-JP's pairs after the
    // escape to JIS X 0208.
    for (int lead = 0x21; lead <= 0x7E; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const int pointer = (lead - 0x21) * 94 + trail - 0x21;
            const char32_t jis0212 = inRange(trail, 0x21, 0x7E) ? indexes.at(u"jis0212"_s, pointer) : 0;
            const char32_t jis0208 = inRange(trail, 0x21, 0x7E) ? indexes.at(u"jis0208"_s, pointer) : 0;
            const char euc[] = {'\x8F', char(lead + 0x80), char(trail + 0x80)};
            if (trail < 0x80) {
                ASSERT_EQ(decoded("EUC-JP", QByteArrayView(euc, 3)), jis0212 ? points({jis0212}) : u"\uFFFD"_s)
                    << std::hex << lead << " " << trail;
            }
            const char iso[] = {'\x1B', '$', 'B', char(lead), char(trail)};
            const QString expected = jis0208 ? points({jis0208}) : trail == 0x1B ? u"\uFFFD\uFFFD"_s : u"\uFFFD"_s;
            ASSERT_EQ(decoded("ISO-2022-JP", QByteArrayView(iso, 5)), expected) << std::hex << lead << " " << trail;
        }
    }

    // Every four-byte sequence of gb18030, in one stream.
    std::vector<std::pair<qint64, qint64>> ranges;
    for (const QJsonValue range : indexes.all(u"gb18030-ranges"_s))
        ranges.emplace_back(range.toArray().at(0).toInteger(), range.toArray().at(1).toInteger());
    std::size_t last = 0; // the range of the pointer, which only grows
    QByteArray fourBytes;
    QString expected;
    for (int b1 = 0x81; b1 <= 0xFE; ++b1) {
        for (int b2 = 0x30; b2 <= 0x39; ++b2) {
            for (int b3 = 0x81; b3 <= 0xFE; ++b3) {
                for (int b4 = 0x30; b4 <= 0x39; ++b4) {
                    fourBytes.append(char(b1)).append(char(b2)).append(char(b3)).append(char(b4));
                    const int pointer = (((b1 - 0x81) * 10 + b2 - 0x30) * 126 + b3 - 0x81) * 10 + b4 - 0x30;
                    char32_t code = 0xFFFD;
                    if (pointer == 7457) {
                        code = 0xE7C7;
                    } else if (pointer <= 39419 || (pointer >= 189000 && pointer <= 1237575)) {
                        while (last + 1 < ranges.size() && ranges[last + 1].first <= pointer)
                            ++last;
                        code = char32_t(ranges[last].second + pointer - ranges[last].first);
                    }
                    expected += points({code});
                }
            }
        }
    }
    const QString read = decoded("gb18030", fourBytes);
    EXPECT_TRUE(read == expected) << "first difference at "
                                  << std::mismatch(read.begin(), read.end(), expected.begin(), expected.end()).first - read.begin();

    // The upper half of every single-byte set; the lower half is ASCII.
    for (const QString &name : indexes.names()) {
        const QJsonArray upper = indexes.all(name);
        if (upper.size() != 128)
            continue;
        QByteArray bytes;
        QString text;
        for (int byte = 0; byte <= 0xFF; ++byte) {
            bytes.append(char(byte));
            const char32_t code = byte < 0x80 ? char32_t(byte) : char32_t(upper.at(byte - 0x80).toInteger());
            text += byte == 0 || code != 0 ? points({code}) : u"\uFFFD"_s;
        }
        EXPECT_EQ(decoded(name.toLatin1().constData(), bytes).toStdString(), text.toStdString()) << name.toStdString();
    }
}
