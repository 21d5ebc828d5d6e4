#include "Recognizer.h"
#include "SampleDocumentFiles.h"
#include "TextExtractor.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::string describe(const std::optional<QString> &text)
{
    return text ? text->toStdString() : "(none)";
}

std::string describe(const std::optional<Decimal> &amount)
{
    return amount ? amount->toString().toStdString() : "(none)";
}

QStringList nonEmptyLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    return lines;
}

} // namespace

TEST(SampleDocumentFiles, EverySampleIsReadBackAsExpected)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("samples/nested"));
    const QStringList paths = SampleDocuments::write(folder, SampleDocuments::all());
    ASSERT_EQ(paths.size(), 20);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const SampleDocuments::Sample &sample = SampleDocuments::all().at(i);
        const std::string name = sample.fileName.toStdString();
        EXPECT_EQ(paths[i], QDir(folder).filePath(sample.fileName));
        const Recognition read = Recognizer::recognize(paths[i], false);
        SampleDocuments::Expected expected = sample.expected;
        if (sample.fileName == u"Entgelt_10_2026.pdf") {
            // The payslip's "Bruttobezüge" line is a total line by the amount
            // rules, so its total is 3500.00 EUR although the table lists none.
            expected.amount = Decimal::fromString(u"3500.00");
            expected.currency = QStringLiteral("EUR");
        }
        EXPECT_EQ(DocumentKinds::rawValue(read.kind), DocumentKinds::rawValue(expected.kind)) << name;
        EXPECT_EQ(describe(read.sender), describe(expected.sender)) << name;
        const std::optional<QString> day =
            read.date ? std::optional<QString>(CalendarUtc::day(*read.date).toString(Qt::ISODate)) : std::nullopt;
        EXPECT_EQ(describe(day), describe(expected.date)) << name;
        EXPECT_EQ(describe(read.amount), describe(expected.amount)) << name;
        EXPECT_EQ(describe(read.currency), describe(expected.currency)) << name;
        EXPECT_EQ(read.source, Recognition::Source::rules);
    }
}

TEST(SampleDocumentFiles, EachStyleMakesItsKindOfFile)
{
    QTemporaryDir dir;
    const QList<SampleDocuments::Sample> &all = SampleDocuments::all();
    const SampleDocuments::Sample &invoice = all.at(0);
    const SampleDocuments::Sample &scan = all.at(6);
    const SampleDocuments::Sample &photo = all.at(4);
    ASSERT_EQ(scan.style, SampleDocuments::Style::scan);
    ASSERT_EQ(photo.style, SampleDocuments::Style::photo);
    const QStringList paths = SampleDocuments::write(dir.path(), {invoice, scan, photo});

    // The text layer holds the lines in order (runs of blanks are the layout's).
    const TextExtractor::Output layer = TextExtractor::pdfText(paths[0]);
    EXPECT_FALSE(layer.usedOCR);
    QStringList expected;
    for (const QString &line : invoice.lines)
        if (!line.trimmed().isEmpty())
            expected << line.simplified();
    EXPECT_EQ(nonEmptyLines(layer.text), expected);

    // A scan holds only a picture: the text comes from text recognition.
    EXPECT_TRUE(TextExtractor::pdfText(paths[1]).usedOCR);

    // A photo is a 900 by 1400 pixel JPEG.
    QImageReader reader(paths[2]);
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), QSize(900, 1400));

    // Writing replaces a file of the same name.
    EXPECT_EQ(SampleDocuments::write(dir.path(), {invoice}), QStringList{paths[0]});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

TEST(SampleDocumentFiles, EdgesOfWriting)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("a/b"));
    EXPECT_TRUE(SampleDocuments::write(fresh, {}).isEmpty());
    EXPECT_TRUE(QFileInfo(fresh).isDir());

    const QString shot = SampleDocuments::writeScreenshot(QStringLiteral("Screenshot 2026-10-01 10.00.00.png"), fresh);
    EXPECT_EQ(QImageReader(shot).size(), QSize(640, 400));
    const Recognition recognised = Recognizer::recognize(shot, false);
    EXPECT_EQ(recognised.kind, DocumentKind::screenshot);
    EXPECT_TRUE(recognised.date.has_value());
    EXPECT_EQ(recognised.confidence, 1.0);

    // A picture with hardly any text is a photo.
    const QString picture = SampleDocuments::writeScreenshot(QStringLiteral("holiday.png"), fresh);
    EXPECT_EQ(Recognizer::recognize(picture, false).kind, DocumentKind::photo);

    EXPECT_THROW(SampleDocuments::writeScreenshot(QStringLiteral("x.png"), dir.filePath(QStringLiteral("missing"))),
                 SampleDocuments::WriteError);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));

    // A folder that cannot be made: a file stands in its way.
    const QString blocker = dir.filePath(QStringLiteral("file"));
    QFile(blocker).open(QIODevice::WriteOnly);
    EXPECT_THROW(SampleDocuments::write(blocker + QStringLiteral("/sub"), SampleDocuments::all()), SampleDocuments::WriteError);
}
