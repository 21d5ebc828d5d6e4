#include "ZipWriter.h"

#include "ArchiveCheck.h"
#include "Crc32.h"
#include "ScopedTimeZone.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>


using namespace Qt::StringLiterals;

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

QString writeArchive(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(u"test.zip"_s);
    QFile::remove(path);
    EXPECT_TRUE(TestSupport::writeFile(path, bytes));
    return path;
}

const QDateTime someDate = QDateTime(QDate(2026, 10, 12), QTime(9, 30, 0), Qt::UTC);

} // namespace

TEST(ZipWriter, WritesArchivesThatOtherReadersAccept)
{
    ScopedTimeZone zone("Europe/Berlin");
    const QList<ZipWriter::Entry> entries{
        {u"belege-2026-10/liste.csv"_s, QByteArray("a;b\r\n")},
        {u"belege-2026-10/Rechnung Müller & Söhne.pdf"_s, randomBytes(70000, 1)},
        {u"belege-2026-10/leer.txt"_s, QByteArray()},
        {u"belege-2026-10/日本語 ß.bin"_s, randomBytes(1, 2)},
    };
    const QTemporaryDir dir;
    const QString path = writeArchive(dir, ZipWriter::archive(entries, someDate));

    QString output;
    EXPECT_TRUE(ArchiveCheck::testWithUnzip(path, &output)) << output.toStdString();
    const QList<ArchiveCheck::Entry> read = ArchiveCheck::readWithPython(path);
    ASSERT_EQ(read.size(), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].name.toStdString());
        EXPECT_EQ(std::tuple(read[i].name, read[i].data, read[i].crc),
                  std::tuple(entries[i].name, entries[i].data, CRC32::checksum(entries[i].data)));
        EXPECT_EQ(std::tuple(read[i].size, read[i].compressedSize), std::tuple(entries[i].data.size(), entries[i].data.size()));
        // Stored, UTF-8 names, made by version 2.0 on Unix, a plain file readable by all, local time.
        EXPECT_EQ(std::tuple(read[i].method, read[i].flags, read[i].createVersion, read[i].createSystem),
                  std::tuple(0, 0x0800, 20, 3));
        EXPECT_EQ(read[i].externalAttributes, 0x81A40000u);
        EXPECT_EQ(read[i].dateTime, (QList<int>{2026, 10, 12, 11, 30, 0}));
    }

    // An empty archive is the end record alone.
    const QByteArray empty = ZipWriter::archive({}, someDate);
    EXPECT_EQ(empty, QByteArray::fromHex("504b0506") + QByteArray(18, '\0'));
    EXPECT_TRUE(ArchiveCheck::readWithPython(writeArchive(dir, empty)).isEmpty());
}

TEST(ZipWriter, StampsTheLocalTimeInDosForm)
{
    ScopedTimeZone zone("Europe/Berlin");
    const auto stampOf = [](const QDateTime &date) {
        const QByteArray bytes = ZipWriter::archive({{u"a"_s, QByteArray("x")}}, date);
        const quint16 time = ArchiveCheck::read16(bytes, 10);
        const quint16 day = ArchiveCheck::read16(bytes, 12);
        // The central record carries the same stamp.
        const qsizetype central = 30 + 1 + 1;
        EXPECT_EQ(ArchiveCheck::read16(bytes, central + 12), time);
        EXPECT_EQ(ArchiveCheck::read16(bytes, central + 14), day);
        return std::pair<int, int>{time, day};
    };
    // 14:37:59 local time on 5 March 2026 (13:37:59 UTC in winter time): odd seconds round down.
    EXPECT_EQ(stampOf(QDateTime(QDate(2026, 3, 5), QTime(13, 37, 59), Qt::UTC)),
              (std::pair<int, int>{14 * 2048 + 37 * 32 + 29, 46 * 512 + 3 * 32 + 5}));
    // Summer time, and a UTC date that is already the next day in Berlin.
    EXPECT_EQ(stampOf(QDateTime(QDate(2026, 7, 31), QTime(22, 15, 4), Qt::UTC)),
              (std::pair<int, int>{0 * 2048 + 15 * 32 + 2, 46 * 512 + 8 * 32 + 1}));
    // Before 1980 the year is stamped as 1980; the last year the stamp holds is 2107.
    EXPECT_EQ(stampOf(QDateTime(QDate(1975, 6, 1), QTime(12, 0), Qt::UTC)).second, 0 * 512 + 6 * 32 + 1);
    EXPECT_EQ(stampOf(QDateTime(QDate(2107, 12, 31), QTime(12, 0), Qt::UTC)).second, 127 * 512 + 12 * 32 + 31);
    EXPECT_THROW(ZipWriter::archive({}, QDateTime(QDate(2108, 1, 1), QTime(12, 0), Qt::UTC)), ZipWriter::Error);
    EXPECT_THROW(ZipWriter::archive({}, QDateTime()), ZipWriter::Error);
}

TEST(ZipWriter, RefusesWhatTheFormatCannotHold)
{
    // A name of 65,535 bytes fits; 65,536 bytes (an umlaut counts two) do not.
    EXPECT_NO_THROW(ZipWriter::archive({{QString(65535, u'a'), QByteArray()}}, someDate));
    try {
        ZipWriter::archive({{QString(65534, u'a') + u"ä"_s, QByteArray()}}, someDate);
        ADD_FAILURE() << "a name of 65,536 bytes was accepted";
    } catch (const ZipWriter::Error &error) {
        EXPECT_TRUE(error.message().contains(u"65,535 bytes"_s)) << error.what();
    }

    // Names an extracting tool could take for a place outside its folder.
    for (const QString &name : {QString(), u"/etc/passwd"_s, u".."_s, u"a/../../b"_s, u"a\\b"_s, u"a\0b"_s})
        EXPECT_THROW(ZipWriter::archive({{name, "x"}}, someDate), ZipWriter::Error) << name.toStdString();
    EXPECT_NO_THROW(ZipWriter::archive({{u"a/Rechnung..pdf"_s, "x"}}, someDate));

    QList<ZipWriter::Entry> many;
    for (int i = 0; i < 65535; ++i)
        many.append({QString::number(i), QByteArray()});
    const QByteArray full = ZipWriter::archive(many, someDate);
    EXPECT_EQ(ArchiveCheck::read16(full, full.size() - 12), 65535);
    many.append({u"one too many"_s, QByteArray()});
    EXPECT_THROW(ZipWriter::archive(many, someDate), ZipWriter::Error);

    // A file of 4 GiB is refused before anything is written (sparse: takes no space).
    const QTemporaryDir dir;
    const QString huge = dir.filePath(u"huge.pdf"_s);
    {
        QFile sparse(huge);
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.resize(qint64(ZipWriter::maxArchiveSize) + 1));
    }
    QFile file(dir.filePath(u"out.zip"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ZipWriter::Stream stream(file, someDate);
    EXPECT_THROW(stream.addFile(u"huge.pdf"_s, huge), ZipWriter::Error);
    EXPECT_EQ(file.size(), 0);
}

TEST(ZipWriter, StreamWritesTheSameBytesAndLeavesOutUnreadableFiles)
{
    ScopedTimeZone zone("Europe/Berlin");
    const QTemporaryDir dir;
    const auto in = [&dir](const char *name) { return dir.filePath(u"in/"_s + QString::fromUtf8(name)); };
    const QByteArray big = randomBytes(3 * 1024 * 1024 + 17, 3); // several read chunks
    const QByteArray small = randomBytes(100, 4);
    ASSERT_TRUE(TestSupport::writeFile(in("big.pdf"), big));
    ASSERT_TRUE(TestSupport::writeFile(in("small.pdf"), small));
    ASSERT_TRUE(TestSupport::writeFile(in("empty.pdf"), QByteArray()));
    ASSERT_TRUE(QDir().mkpath(in("folder.pdf"))); // (other files that cannot be read: with the export)

    const QString path = dir.filePath(u"streamed.zip"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    ZipWriter::Stream stream(file, someDate);
    stream.add(u"liste.csv"_s, "header\r\n");
    for (const auto &[name, added] : {std::pair{"big.pdf", true}, {"missing.pdf", false}, {"folder.pdf", false},
                                      {"small.pdf", true}, {"empty.pdf", true}})
        EXPECT_EQ(stream.addFile(QString::fromUtf8(name), in(name)), added) << name;
    stream.finish();
    file.close();

    const QByteArray expected = ZipWriter::archive(
        {{u"liste.csv"_s, "header\r\n"}, {u"big.pdf"_s, big}, {u"small.pdf"_s, small}, {u"empty.pdf"_s, QByteArray()}},
        someDate);
    EXPECT_TRUE(TestSupport::readFile(path) == expected);
    QString output;
    EXPECT_TRUE(ArchiveCheck::testWithUnzip(path, &output)) << output.toStdString();
}
