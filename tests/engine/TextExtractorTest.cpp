#include "TestDocuments.h"
#include "TestSupport.h"
#include "TextExtractor.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::dataPath;
using TestSupport::writeFile;

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

} // namespace

TEST(TextExtractor, RealInvoicesKeepEachLabelOnOneLineWithItsValue)
{
    const TextExtractor::Output sample = TextExtractor::text(dataPath(QStringLiteral("invoices/sample-invoice-2014.pdf")));
    EXPECT_FALSE(sample.usedOCR);
    EXPECT_TRUE(nonEmptyLines(sample.text).contains(QStringLiteral("Rechnung # RE-20140522/501 vom 22.05.2014")));
    EXPECT_TRUE(nonEmptyLines(sample.text).contains(QStringLiteral("Summe inkl. USt: 571,04 €")));

    const TextExtractor::Output correction = TextExtractor::text(dataPath(QStringLiteral("invoices/correction-invoice.pdf")));
    EXPECT_FALSE(correction.usedOCR);
    EXPECT_TRUE(hasLineWith(correction.text, {QStringLiteral("Rechnungskorrektur (384) Nr. RK21012345 vom 16.09.2018")}));
    EXPECT_TRUE(hasLineWith(correction.text, {QStringLiteral("Zahlbetrag"), QStringLiteral("-8,79")}));

    const TextExtractor::Output service = TextExtractor::text(dataPath(QStringLiteral("invoices/service-charge-statement.pdf")));
    EXPECT_TRUE(hasLineWith(service.text, {QStringLiteral("Handelsrechnung (380) Nr. 471102 vom 05.03.2018")}));
    EXPECT_TRUE(hasLineWith(service.text, {QStringLiteral("Zahlbetrag"), QStringLiteral("502,63")}));
    // Ligatures come out as their letters.
    for (const QString &text : {sample.text, correction.text, service.text})
        for (char16_t ligature = 0xFB00; ligature <= 0xFB06; ++ligature)
            EXPECT_FALSE(text.contains(QChar(ligature)));
}

TEST(TextExtractor, ReadsOnlyTheFirstThreePagesOfAPdf)
{
    QTemporaryDir dir;
    QStringList pages;
    for (int i = 1; i <= 10; ++i)
        pages << QStringLiteral("Seite %1 mit genug Buchstaben im Text").arg(i);
    const QString ten = dir.filePath(QStringLiteral("ten.pdf"));
    ASSERT_TRUE(writeFile(ten, TestDocuments::textPdf(pages)));
    const TextExtractor::Output out = TextExtractor::text(ten);
    EXPECT_FALSE(out.usedOCR);
    EXPECT_EQ(nonEmptyLines(out.text), pages.mid(0, 3));
    EXPECT_TRUE(out.text.endsWith(u'\n'));

    // A document of 2,000 pages costs what three cost.
    QStringList many;
    for (int i = 1; i <= 2000; ++i)
        many << QStringLiteral("Seite %1 von einem sehr langen Dokument").arg(i);
    const QString huge = dir.filePath(QStringLiteral("huge.pdf"));
    ASSERT_TRUE(writeFile(huge, TestDocuments::textPdf(many)));
    EXPECT_EQ(nonEmptyLines(TextExtractor::text(huge).text), many.mid(0, 3));
}

TEST(TextExtractor, ThinTextLayerGoesToTextRecognition)
{
    QTemporaryDir dir;
    // 39 letters stay too few: the pages are rendered and recognised instead.
    const QString thin = dir.filePath(QStringLiteral("thin.pdf"));
    const QString letters39 = QStringLiteral("abcdeghjkmnopqrsuvwxyzabcdeghjkmnopqrsu");
    ASSERT_EQ(TextExtractor::letterCount(letters39), 39);
    ASSERT_TRUE(writeFile(thin, TestDocuments::textPdf({letters39})));
    const TextExtractor::Output recognised = TextExtractor::text(thin);
    EXPECT_TRUE(recognised.usedOCR);
    EXPECT_TRUE(recognised.text.contains(QStringLiteral("abcdeghjk"))) << recognised.text.toStdString();

    const QString enough = dir.filePath(QStringLiteral("enough.pdf"));
    ASSERT_TRUE(writeFile(enough, TestDocuments::textPdf({letters39 + u'z'})));
    const TextExtractor::Output layer = TextExtractor::text(enough);
    EXPECT_FALSE(layer.usedOCR);
    EXPECT_EQ(layer.text.trimmed(), letters39 + u'z');

    // A scanned page has no text layer at all.
    const QString scan = dir.filePath(QStringLiteral("scan.pdf"));
    ASSERT_TRUE(TestDocuments::writeImagePdf(
        scan, TestDocuments::textPicture({QStringLiteral("Rechnungsbetrag 86,40 EUR")}, 1190, 1684, 40)));
    const TextExtractor::Output scanned = TextExtractor::text(scan);
    EXPECT_TRUE(scanned.usedOCR);
    EXPECT_TRUE(scanned.text.contains(QStringLiteral("Rechnungsbetrag 86,40 EUR"))) << scanned.text.toStdString();
}

TEST(TextExtractor, ImagesAreRecognisedUpright)
{
    QTemporaryDir dir;
    const QImage page = TestDocuments::textPicture({QStringLiteral("Kassenbon Nummer 5512"), QStringLiteral("Gesamt 4,50 EUR")},
                                                   900, 500, 36);
    const QString upright = dir.filePath(QStringLiteral("upright.png"));
    ASSERT_TRUE(page.save(upright));
    const TextExtractor::Output out = TextExtractor::text(upright);
    EXPECT_TRUE(out.usedOCR);
    EXPECT_TRUE(out.text.contains(QStringLiteral("Gesamt 4,50 EUR"))) << out.text.toStdString();

    // A photo taken sideways: the pixels lie rotated and the file says how to
    // turn them; the reader applies that before recognition.
    const QString sideways = dir.filePath(QStringLiteral("sideways.jpg"));
    QImageWriter writer(sideways);
    if (writer.supportsOption(QImageIOHandler::ImageTransformation)) {
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        ASSERT_TRUE(writer.write(page.transformed(QTransform().rotate(-90))));
        const TextExtractor::Output turned = TextExtractor::text(sideways);
        EXPECT_TRUE(turned.text.contains(QStringLiteral("Gesamt 4,50 EUR"))) << turned.text.toStdString();
    }

    // Big pictures are reduced to 3000 pixels on their longer side.
    const QString large = dir.filePath(QStringLiteral("large.png"));
    QImage big(4000, 1000, QImage::Format_RGB32);
    big.fill(Qt::white);
    ASSERT_TRUE(big.save(large));
    EXPECT_EQ(TextExtractor::loadImage(large).size(), QSize(3000, 750));
}

TEST(TextExtractor, BadFilesGiveEmptyText)
{
    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty.pdf"));
    ASSERT_TRUE(writeFile(empty, QByteArray()));
    const QString notPdf = dir.filePath(QStringLiteral("not a pdf.pdf"));
    ASSERT_TRUE(writeFile(notPdf, "Dies ist nur Text mit vielen Buchstaben, aber kein PDF-Dokument."));
    const QString truncated = dir.filePath(QStringLiteral("truncated.pdf"));
    const QByteArray whole = TestSupport::readFile(dataPath(QStringLiteral("invoices/sample-invoice-2014.pdf")));
    ASSERT_TRUE(writeFile(truncated, whole.left(whole.size() / 3)));
    const QString huge = dir.filePath(QStringLiteral("huge.png"));
    ASSERT_TRUE(writeFile(huge, TestDocuments::pngHeaderOnly(30000, 30000)));
    const QString zeroImage = dir.filePath(QStringLiteral("zero.jpg"));
    ASSERT_TRUE(writeFile(zeroImage, QByteArray()));
    const QString brokenDocx = dir.filePath(QStringLiteral("broken.docx"));
    ASSERT_TRUE(writeFile(brokenDocx, "PK\x03\x04 not really a zip"));

    for (const QString &path : {empty, notPdf, huge, zeroImage, brokenDocx, dir.filePath(QStringLiteral("missing.pdf")),
                                dataPath(QStringLiteral("documents/protected.pdf"))}) {
        const TextExtractor::Output out = TextExtractor::text(path);
        EXPECT_TRUE(out.text.trimmed().isEmpty()) << path.toStdString();
        EXPECT_FALSE(out.usedOCR) << path.toStdString();
    }
    EXPECT_TRUE(TextExtractor::loadImage(huge).isNull());
    // A named pipe would block a reader until someone writes into it.
    const QString pipe = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_TRUE(TextExtractor::text(pipe).text.isEmpty());
    EXPECT_TRUE(TextExtractor::text(dir.path()).text.isEmpty());
    // What poppler can recover of a truncated file is fine; it must not crash.
    TextExtractor::text(truncated);

    // Without read permission (root reads everything anyway).
    const QString locked = dir.filePath(QStringLiteral("locked.txt"));
    ASSERT_TRUE(writeFile(locked, "Geheimer Text"));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    const QString lockedPdf = dir.filePath(QStringLiteral("locked.pdf"));
    ASSERT_TRUE(writeFile(lockedPdf, TestDocuments::textPdf({QStringLiteral("Geheimer Text mit genug Buchstaben für die Schicht")})));
    QFile::setPermissions(lockedPdf, QFileDevice::Permissions());
    if (geteuid() != 0) {
        EXPECT_TRUE(TextExtractor::text(locked).text.isEmpty());
        EXPECT_TRUE(TextExtractor::text(lockedPdf).text.isEmpty());
    }
}

TEST(TextExtractor, PlainAndOfficeDocuments)
{
    QTemporaryDir dir;
    const QString latin1 = dir.filePath(QStringLiteral("brief.txt"));
    ASSERT_TRUE(writeFile(latin1, QByteArray("Gr\xfc\xdf" "e aus M\xfcnchen, 5 \x80")));
    EXPECT_EQ(TextExtractor::text(latin1).text, QStringLiteral("Grüße aus München, 5 \u0080"));

    const QString markdown = dir.filePath(QStringLiteral("notes.md"));
    ASSERT_TRUE(writeFile(markdown, QByteArray(50000, 'x')));
    EXPECT_EQ(TextExtractor::text(markdown).text.size(), 20000);
    // The cut counts user-perceived characters: an accent stays with its letter.
    const QString accents = dir.filePath(QStringLiteral("accents.csv"));
    ASSERT_TRUE(writeFile(accents, QStringLiteral("e\u0301").repeated(20001).toUtf8()));
    EXPECT_EQ(TextExtractor::text(accents).text, QStringLiteral("e\u0301").repeated(20000));

    const QString pages = dir.filePath(QStringLiteral("report.pages"));
    ASSERT_TRUE(writeFile(pages, "Text"));
    EXPECT_TRUE(TextExtractor::text(pages).text.isEmpty());

    const QString html = dir.filePath(QStringLiteral("page.html"));
    ASSERT_TRUE(writeFile(html, "<html><head><meta charset=\"utf-8\"><title>T</title></head><body><p>Rechnung</p>"
                                "<p>Gesamt <b>12,34 €</b></p></body></html>"));
    EXPECT_EQ(nonEmptyLines(TextExtractor::text(html).text), (QStringList{QStringLiteral("Rechnung"), QStringLiteral("Gesamt 12,34 €")}));

    const QString rtf = dir.filePath(QStringLiteral("brief.rtf"));
    ASSERT_TRUE(writeFile(rtf, "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Helvetica;}}{\\*\\generator Writer;}"
                               "\\f0 Stra\\'dfe 1\\par Summe\\tab 9,40 \\u8364?\\par}"));
    EXPECT_EQ(TextExtractor::text(rtf).text, QStringLiteral("Straße 1\nSumme\t9,40 €\n"));

    EXPECT_EQ(TextExtractor::text(dataPath(QStringLiteral("documents/letter.docx"))).text,
              QStringLiteral("Druckerei Beispiel KG\nRechnungsdatum: 07.10.2026\nVersand\t9,40 €\n"));
    EXPECT_EQ(TextExtractor::text(dataPath(QStringLiteral("documents/letter.odt"))).text,
              QStringLiteral("Hausverwaltung Klee GmbH\nMusterstadt, 02.10.2026\nBetreff:   Wartung\tHeizung\n"));
}

TEST(TextExtractor, ScreenshotsAreToldByName)
{
    EXPECT_TRUE(TextExtractor::isScreenshot(QStringLiteral("/tmp/Screenshot 2024-05-01.png")));
    EXPECT_TRUE(TextExtractor::isScreenshot(QStringLiteral("/tmp/Bildschirmfoto 2024-05-01 um 10.00.00.png")));
    EXPECT_FALSE(TextExtractor::isScreenshot(QStringLiteral("/tmp/Screenshot 2024-05-01.pdf")));
    EXPECT_FALSE(TextExtractor::isScreenshot(QStringLiteral("/tmp/my screenshot.png")));
}
