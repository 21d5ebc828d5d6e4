#include "PatternReader.h"
#include "TestDocuments.h"
#include "TestSupport.h"
#include "TextExtractor.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::dataPath;
using TestSupport::writeFile;
using namespace Qt::StringLiterals;

namespace {

QStringList nonEmptyLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    return lines;
}

bool hasLineWith(const QString &text, const QStringList &parts)
{
    for (const QString &line : text.split(u'\n'))
        if (std::all_of(parts.begin(), parts.end(), [&](const QString &part) { return line.contains(part); }))
            return true;
    return false;
}

// Writes the file and reads it back.
TextExtractor::Output extracted(const QString &path, const QByteArray &bytes)
{
    EXPECT_TRUE(writeFile(path, bytes)) << path.toStdString();
    return TextExtractor::text(path);
}

} // namespace

TEST(TextExtractor, RealInvoicesKeepEachLabelOnOneLineWithItsValue)
{
    const struct {
        const char *file;
        QList<QStringList> lines;
    } invoices[] = {
        {"sample-invoice-2014.pdf", {{u"Rechnung # RE-20140522/501 vom 22.05.2014"_s}, {u"Summe inkl. USt: 571,04 €"_s}}},
        {"correction-invoice.pdf",
         {{u"Rechnungskorrektur (384) Nr. RK21012345 vom 16.09.2018"_s}, {u"Zahlbetrag"_s, u"-8,79"_s}}},
        {"service-charge-statement.pdf",
         {{u"Handelsrechnung (380) Nr. 471102 vom 05.03.2018"_s}, {u"Zahlbetrag"_s, u"502,63"_s}}},
    };
    for (const auto &invoice : invoices) {
        const TextExtractor::Output out = TextExtractor::text(dataPath(u"invoices/"_s + QString::fromUtf8(invoice.file)));
        EXPECT_FALSE(out.usedOCR) << invoice.file;
        const QString text = nonEmptyLines(out.text).join(u'\n');
        for (const QStringList &parts : invoice.lines)
            EXPECT_TRUE(hasLineWith(text, parts)) << invoice.file << ": " << parts.join(u' ').toStdString();
        // Ligatures come out as their letters.
        for (char16_t ligature = 0xFB00; ligature <= 0xFB06; ++ligature)
            EXPECT_FALSE(out.text.contains(QChar(ligature))) << invoice.file;
    }
}

TEST(TextExtractor, ReadsOnlyTheFirstThreePagesOfAPdf)
{
    QTemporaryDir dir;
    // A document of 2,000 pages costs what three cost.
    for (const int count : {10, 2000}) {
        QStringList pages;
        for (int i = 1; i <= count; ++i)
            pages << u"Seite %1 mit genug Buchstaben im Text"_s.arg(i);
        const TextExtractor::Output out = extracted(dir.filePath(u"%1.pdf"_s.arg(count)), TestDocuments::textPdf(pages));
        EXPECT_FALSE(out.usedOCR);
        EXPECT_EQ(nonEmptyLines(out.text), pages.mid(0, 3));
        EXPECT_TRUE(out.text.endsWith(u'\n'));
    }
}

TEST(TextExtractor, ThinTextLayerGoesToTextRecognition)
{
    QTemporaryDir dir;
    // 39 letters stay too few: the pages are rendered and recognised instead.
    const QString letters39 = u"abcdeghjkmnopqrsuvwxyzabcdeghjkmnopqrsu"_s;
    ASSERT_EQ(TextExtractor::letterCount(letters39), 39);
    const TextExtractor::Output recognised = extracted(dir.filePath(u"thin.pdf"_s), TestDocuments::textPdf({letters39}));
    EXPECT_TRUE(recognised.usedOCR);
    EXPECT_TRUE(recognised.text.contains(u"abcdeghjk"_s)) << recognised.text.toStdString();

    const TextExtractor::Output layer = extracted(dir.filePath(u"enough.pdf"_s), TestDocuments::textPdf({letters39 + u'z'}));
    EXPECT_FALSE(layer.usedOCR);
    EXPECT_EQ(layer.text.trimmed(), letters39 + u'z');

    // A scanned page has no text layer at all.
    const QString scan = dir.filePath(u"scan.pdf"_s);
    ASSERT_TRUE(TestDocuments::writeImagePdf(scan, TestDocuments::textPicture({u"Rechnungsbetrag 86,40 EUR"_s}, 1190, 1684, 40)));
    const TextExtractor::Output scanned = TextExtractor::text(scan);
    EXPECT_TRUE(scanned.usedOCR);
    EXPECT_TRUE(scanned.text.contains(u"Rechnungsbetrag 86,40 EUR"_s)) << scanned.text.toStdString();
}

TEST(TextExtractor, ImagesAreRecognisedUpright)
{
    QTemporaryDir dir;
    const QImage page = TestDocuments::textPicture({u"Kassenbon Nummer 5512"_s, u"Gesamt 4,50 EUR"_s}, 900, 500, 36);
    const QString upright = dir.filePath(u"upright.png"_s);
    ASSERT_TRUE(page.save(upright));
    const TextExtractor::Output out = TextExtractor::text(upright);
    EXPECT_TRUE(out.usedOCR);
    EXPECT_TRUE(out.text.contains(u"Gesamt 4,50 EUR"_s)) << out.text.toStdString();

    // A photo taken sideways: the pixels lie rotated and the file says how to
    // turn them; the reader applies that before recognition.
    const QString sideways = dir.filePath(u"sideways.jpg"_s);
    QImageWriter writer(sideways);
    if (writer.supportsOption(QImageIOHandler::ImageTransformation)) {
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        ASSERT_TRUE(writer.write(page.transformed(QTransform().rotate(-90))));
        const TextExtractor::Output turned = TextExtractor::text(sideways);
        EXPECT_TRUE(turned.text.contains(u"Gesamt 4,50 EUR"_s)) << turned.text.toStdString();
    }

    // Big pictures are reduced to 3000 pixels on their longer side.
    const QString large = dir.filePath(u"large.png"_s);
    QImage big(4000, 1000, QImage::Format_RGB32);
    big.fill(Qt::white);
    ASSERT_TRUE(big.save(large));
    EXPECT_EQ(TextExtractor::loadImage(large).size(), QSize(3000, 750));
}

// A stop ends the text recognition of a large scan, a picture or a PDF's
// page, that is under way, and what it cut short gives no text. (How soon it
// ends shows in the quit tests: loading the engine and laying out a page ask
// for no stop, and take seconds under the sanitizers.)
TEST(TextExtractor, AStopEndsTheTextRecognitionUnderWay)
{
    QTemporaryDir dir;
    QStringList lines;
    for (int line = 0; line < 40; ++line)
        lines << u"Rechnung %1 vom 12.03.2024 Betrag %1,50 EUR Lieferung"_s.arg(1000 + line);
    const QImage scan = TestDocuments::textPicture(lines, 2400, 3400, 36);
    const QString picture = dir.filePath(u"scan.png"_s);
    ASSERT_TRUE(scan.save(picture));
    const QString pdf = dir.filePath(u"scan.pdf"_s);
    ASSERT_TRUE(TestDocuments::writeImagePdf(pdf, scan));

    for (const QString &path : {picture, pdf}) {
        SCOPED_TRACE(path.toStdString());
        TextExtractor::Output read;
        std::jthread reading([&](std::stop_token stop) { read = TextExtractor::text(path, stop); });
        // Unstopped, the reading takes seconds.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        reading.request_stop();
        reading.join();
        EXPECT_FALSE(read.text.contains(u"Betrag"_s)) << read.text.toStdString();
    }
}

TEST(TextExtractor, BadFilesGiveEmptyText)
{
    QTemporaryDir dir;
    const QByteArray whole = TestSupport::readFile(dataPath(u"invoices/sample-invoice-2014.pdf"_s));
    const QString huge = dir.filePath(u"huge.png"_s);
    const QString locked = dir.filePath(u"locked.txt"_s);
    const QString lockedPdf = dir.filePath(u"locked.pdf"_s);
    const QString pipe = dir.filePath(u"pipe.txt"_s);
    for (const auto &[name, bytes] : {
             std::pair{"empty.pdf", QByteArray()},
             {"not a pdf.pdf", QByteArray("Dies ist nur Text mit vielen Buchstaben, aber kein PDF-Dokument.")},
             {"huge.png", TestDocuments::pngHeaderOnly(30000, 30000)},
             {"zero.jpg", QByteArray()},
             {"broken.docx", QByteArray("PK\x03\x04 not really a zip")},
             {"locked.txt", QByteArray("Geheimer Text")},
             {"locked.pdf", TestDocuments::textPdf({u"Geheimer Text mit genug Buchstaben für die Schicht"_s})},
         })
        ASSERT_TRUE(writeFile(dir.filePath(QString::fromUtf8(name)), bytes));
    // What poppler can recover of a truncated file is fine; it must not crash.
    extracted(dir.filePath(u"truncated.pdf"_s), whole.left(whole.size() / 3));
    // A named pipe would block a reader until someone writes into it.
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QFile::setPermissions(locked, QFileDevice::Permissions());
    QFile::setPermissions(lockedPdf, QFileDevice::Permissions());

    QStringList paths{dir.filePath(u"empty.pdf"_s), dir.filePath(u"not a pdf.pdf"_s), huge, dir.filePath(u"zero.jpg"_s),
                      dir.filePath(u"broken.docx"_s), dir.filePath(u"missing.pdf"_s),
                      dataPath(u"documents/protected.pdf"_s), pipe, dir.path()};
    if (geteuid() != 0) // without read permission (root reads everything anyway)
        paths << locked << lockedPdf;
    for (const QString &path : paths) {
        const TextExtractor::Output out = TextExtractor::text(path);
        EXPECT_TRUE(out.text.trimmed().isEmpty()) << path.toStdString();
        EXPECT_FALSE(out.usedOCR) << path.toStdString();
    }
    EXPECT_TRUE(TextExtractor::loadImage(huge).isNull());
}

TEST(TextExtractor, PlainAndOfficeDocuments)
{
    QTemporaryDir dir;
    const auto textOf = [&dir](const char *name, const QByteArray &bytes) {
        return extracted(dir.filePath(QString::fromUtf8(name)), bytes).text;
    };
    EXPECT_EQ(textOf("brief.txt", "Gr\xfc\xdf" "e aus M\xfcnchen, 5 \x80"), u"Grüße aus München, 5 \u0080"_s);
    EXPECT_EQ(textOf("notes.md", QByteArray(50000, 'x')).size(), 20000);
    // The cut counts user-perceived characters: an accent stays with its letter.
    EXPECT_EQ(textOf("accents.csv", u"e\u0301"_s.repeated(20001).toUtf8()), u"e\u0301"_s.repeated(20000));
    EXPECT_TRUE(textOf("report.pages", "Text").isEmpty());
    // (Web pages: with the HTML reader.)
    EXPECT_EQ(textOf("page.htm", "<meta charset=\"iso-8859-1\"><p>Gr\xfc\xdf" "e</p>"), u"Grüße\n"_s);
    EXPECT_EQ(textOf("brief.rtf", "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Helvetica;}}{\\*\\generator Writer;}"
                                  "\\f0 Stra\\'dfe 1\\par Summe\\tab 9,40 \\u8364?\\par}"),
              u"Straße 1\nSumme\t9,40 €\n"_s);
    EXPECT_EQ(TextExtractor::text(dataPath(u"documents/letter.docx"_s)).text,
              u"Druckerei Beispiel KG\nRechnungsdatum: 07.10.2026\nVersand\t9,40 €\n"_s);
    EXPECT_EQ(TextExtractor::text(dataPath(u"documents/letter.odt"_s)).text,
              u"Hausverwaltung Klee GmbH\nMusterstadt, 02.10.2026\nBetreff:   Wartung\tHeizung\n"_s);
}

// A plain text is read until its first 20,000 characters are whole, however
// many bytes they take, and no further than the bound of code units every
// reader keeps to; UTF-8 or Latin-1 is told by the bytes read.
TEST(TextExtractor, PlainTextIsReadUntilItsFirstCharactersAreWhole)
{
    QTemporaryDir dir;
    // Some 14,100 characters of Devanagari syllables in 85,500 bytes.
    const QString hindi = u"क्रमांक श्रीमती क्षेत्र स्वीकृति\n"_s.repeated(940) + u"Gesamtbetrag 99,00 €"_s;
    ASSERT_GT(hindi.toUtf8().size(), 85000);
    ASSERT_EQ(TextExtractor::leftCharacters(hindi, 20000), hindi);
    // An invoice of 1,750 short lines with Windows line ends: 19,270
    // characters, each CR LF one of them.
    const QString invoice = u"दाम 12,50 €\r\n"_s.repeated(1750) + u"Gesamtbetrag 99,00 €"_s;
    ASSERT_NE(TextExtractor::leftCharacters(invoice, 19000), invoice);
    const QString emoji = u"😀"_s.repeated(25000);
    const QString flags = u"🇩🇪"_s.repeated(11007) + u" MARKER"_s;
    const QString marks = u"e"_s + QString(100000, QChar(0x0301));
    const QString greetings = u"Grüße "_s.repeated(20000);
    // 16,000 characters of five bytes fill the first 80,000 bytes read.
    const QString stacked = u"a\u0301\u0308"_s.repeated(16000);
    ASSERT_EQ(stacked.toUtf8().size(), 80000);
    const QString nobreak = stacked + u"\uFEFFSumme 12,34 €\n"_s;
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"hindi.txt", hindi.toUtf8(), hindi},
        {"invoice.txt", invoice.toUtf8(), invoice},
        // The 20,000th character of four bytes ends where the 80,000th byte does.
        {"emoji.txt", emoji.toUtf8(), emoji.left(40000)},
        {"flags.md", flags.toUtf8(), flags},
        // One character of endless marks stops at four code units a character.
        {"marks.csv", marks.toUtf8(), marks.left(80000)},
        // NUL bytes, which are dropped, do not make the whole file read.
        {"nul.txt", QByteArray(1000000, '\0') + "Rechnung", QString()},
        // What lies beyond the bytes read does not make a text Latin-1.
        {"long.txt", greetings.toUtf8() + "\xfc", greetings.left(20000)},
        {"latin.txt", "Gr\xfc\xdf" "e " + greetings.toLatin1(), (u"Grüße "_s + greetings).left(20000)},
        // A U+FEFF that begins a later piece is a character like any other.
        {"nobreak.txt", nobreak.toUtf8(), nobreak},
    };
    for (const auto &[name, bytes, text] : cases) {
        const TextExtractor::Output out = extracted(dir.filePath(QString::fromUtf8(name)), bytes);
        EXPECT_EQ(out.text, text) << name << ": " << out.text.size() << " code units";
    }
    for (const QString &name : {u"hindi.txt"_s, u"invoice.txt"_s}) {
        const std::optional<PatternReader::Money> total =
            PatternReader::read(TextExtractor::text(dir.filePath(name)).text).total;
        ASSERT_TRUE(total) << name.toStdString();
        EXPECT_EQ(total->amount, *Decimal::fromString(u"99.00")) << name.toStdString();
    }
}

// Whether a plain text is UTF-8 or Latin-1 is told by the bytes of the
// characters kept: what follows them only ends the last one, and a byte
// there that is no UTF-8 ends it as the end of the file would. Every text
// here is of lines that end in LF.
TEST(TextExtractor, PlainTextIsToldUtf8ByTheBytesOfItsFirstCharacters)
{
    QTemporaryDir dir;
    // Lines of ten characters: in the first 80,000 bytes lines holding
    // letters with their accents written apart (46 bytes, 19 code units),
    // then Devanagari alone (55 bytes, 19 code units). The total stands on
    // line 1,500, at character 14,990; a last character is cut off at the end.
    const QString mixed = u"कि"_s.repeated(6) + u"e\u0301"_s.repeated(3) + u"\n"_s;
    const QString line = u"कि"_s.repeated(9) + u"\n"_s;
    const QString head = mixed.repeated(1499) + u"Gesamt 99,00 €\n"_s + mixed.repeated(240);
    const auto hindi = [&](qsizetype bytes) {
        return (head + line.repeated((bytes - head.toUtf8().size()) / 55)).toUtf8() + "\xE0\xA4";
    };
    const QString hindiKept = head + line.repeated(259) + u"कि"_s.repeated(5);
    const QString greetings = u"Grüße "_s.repeated(4000);
    const QByteArray first = greetings.left(20000).toUtf8();
    const qsizetype inside = first.indexOf("\xC3\x9F", 10000);
    const QByteArray broken = first.left(inside) + "\xFF" + first.mid(inside);
    // The byte-order mark that opens a file is no character of it; a U+FEFF
    // after it is one, which makes 20,000 whole characters here.
    const QByteArray bom("\xEF\xBB\xBF");
    const QString invoice = u"Rechnung\n"_s + greetings.left(19977) + u"Summe 12,34 €"_s;
    ASSERT_EQ(invoice.size(), 19999);
    const QByteArray signedInvoice = bom + invoice.toUtf8() + "\xFF";
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"hindi-170k.txt", hindi(170000), hindiKept},
        {"hindi-250k.txt", hindi(250000), hindiKept},
        // A byte that is no UTF-8 just after the 20,000th character ends it.
        {"after.txt", first + "\xFF" + "Grüße", greetings.left(20000)},
        {"marks-after.txt", first + "\xFF\xCC\x81", greetings.left(20000)},
        // One inside them makes the text Latin-1.
        {"inside.txt", broken + "tail", QString::fromLatin1(broken).left(20000)},
        {"marked.txt", bom + bom + invoice.toUtf8() + "\xFF", u"\uFEFF"_s + invoice},
        // Without the second, the UTF-8 reading holds 19,999 characters only.
        {"signed.txt", signedInvoice, QString::fromLatin1(signedInvoice).left(20000)},
    };
    for (const auto &[name, bytes, text] : cases) {
        const TextExtractor::Output out = extracted(dir.filePath(QString::fromUtf8(name)), bytes);
        EXPECT_EQ(out.text, text) << name << ": " << out.text.left(20).toStdString();
        if (QByteArrayView(name).startsWith("hindi")) {
            const std::optional<PatternReader::Money> total = PatternReader::read(out.text).total;
            EXPECT_TRUE(total && total->amount == *Decimal::fromString(u"99.00")) << name;
        }
    }
}

// Half of a surrogate pair that a document writes by itself is no character:
// what is extracted holds whole code points only, pairs written as two
// escapes included.
TEST(TextExtractor, ExtractedTextHoldsWholeCodePointsOnly)
{
    QTemporaryDir dir;
    const auto textOf = [&dir](const char *name, const QByteArray &bytes) {
        return extracted(dir.filePath(QString::fromUtf8(name)), bytes).text;
    };
    EXPECT_EQ(textOf("lone.rtf", "{\\rtf1 Summe \\u-10240?12,50 \\u-10179?\\u-8704? EUR \\u-9216?\\u-10179?\\par}"),
              u"Summe \uFFFD12,50 😀 EUR \uFFFD\uFFFD\n"_s);
    QByteArray page("\xFF\xFE");
    for (const QChar c : u"<p>A"_s + QChar(0xD800) + u"B 12,50 "_s + QChar(0xDC00) + u"€</p>"_s)
        page.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    EXPECT_EQ(textOf("lone.html", page), u"A\uFFFDB 12,50 \uFFFD€\n"_s);
}

// NUL never reaches the text (where it would end any C string it goes into):
// a NUL byte is dropped, an escape that names it is a character that cannot
// be shown.
TEST(TextExtractor, NulNeverReachesTheText)
{
    QTemporaryDir dir;
    const auto textOf = [&dir](const char *name, const QByteArray &bytes) {
        return extracted(dir.filePath(QString::fromUtf8(name)), bytes).text;
    };
    EXPECT_EQ(textOf("escape.rtf", "{\\rtf1 a\\'00b}"), u"a\uFFFDb"_s);
    EXPECT_EQ(textOf("unicode.rtf", "{\\rtf1 a\\u0?b\\u65536?c}"), u"a\uFFFDb\uFFFDc"_s);
    EXPECT_EQ(textOf("raw.rtf", "{\\rtf1 a\0b\\par}"_ba), u"ab\n"_s);
    EXPECT_EQ(textOf("plain.txt", "a\0b\n"_ba), u"ab\n"_s);
    EXPECT_EQ(textOf("latin.txt", "\xfc\0b\n"_ba), u"üb\n"_s);
    EXPECT_EQ(textOf("page.html", "<p>a\0b&#0;c</p>"_ba), u"ab\uFFFDc\n"_s);
}

// Small files that unpack or lay out into far more text than is kept: every
// reader stops at the limit instead of building the whole text first.
TEST(TextExtractor, HostileDocumentsAreReadOnlyUpToTheLimit)
{
    QTemporaryDir dir;
    const auto textOf = [&dir](const char *name, const QByteArray &bytes) {
        return extracted(dir.filePath(QString::fromUtf8(name)), bytes).text;
    };
    // 100,000 runs of a thousand spaces, a few kilobytes packed.
    const QByteArray spaces = QByteArray("<text:s text:c=\"1000\"/>").repeated(100000);
    EXPECT_EQ(textOf("spaces.odt", TestDocuments::odt("<text:p>Rechnung</text:p><text:p>" + spaces + "</text:p>")),
              u"Rechnung\n"_s + QString(19991, u' '));
    // One run of text longer than the XML reader is let to hold at once.
    const QByteArray words = QByteArray("Rechnung ").repeated(300000);
    EXPECT_EQ(textOf("run.docx", TestDocuments::docx("<w:p><w:r><w:t>" + words + "</w:t></w:r></w:p>")),
              QString::fromLatin1(words.left(20000)));
    // Rich text nested deeper than anyone writes is skipped, the rest read.
    EXPECT_EQ(textOf("deep.rtf", "{\\rtf1 Rechnung{" + QByteArray(100000, '{') + "tief" + QByteArray(100000, '}')
                                   + " 12,34\\par}"),
              u"Rechnung 12,34\n"_s);
    // Lines of tiny text that fill three pages: the layer is cut as well.
    const QString line = u"Rechnung 12,34 EUR "_s.repeated(50);
    const TextExtractor::Output pdf = extracted(dir.filePath(u"full.pdf"_s),
                                                TestDocuments::textPdf({QStringList(30, line).join(u'\n')}, true, 1.0));
    EXPECT_FALSE(pdf.usedOCR);
    EXPECT_EQ(pdf.text.size(), TextExtractor::maxTextCharacters);
    EXPECT_TRUE(pdf.text.startsWith(u"Rechnung 12,34 EUR Rechnung"_s)) << pdf.text.left(100).toStdString();
}

TEST(TextExtractor, ScreenshotsAreToldByName)
{
    EXPECT_TRUE(TextExtractor::isScreenshot(u"/tmp/Screenshot 2024-05-01.png"_s));
    EXPECT_TRUE(TextExtractor::isScreenshot(u"/tmp/Bildschirmfoto 2024-05-01 um 10.00.00.png"_s));
    EXPECT_FALSE(TextExtractor::isScreenshot(u"/tmp/Screenshot 2024-05-01.pdf"_s));
    EXPECT_FALSE(TextExtractor::isScreenshot(u"/tmp/my screenshot.png"_s));
}
