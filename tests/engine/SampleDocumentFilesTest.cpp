#include "Recognizer.h"
#include "SampleDocumentFiles.h"
#include "TextExtractor.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::string describe(const std::optional<QString> &text)
{
    return text ? text->toStdString() : "(none)";
}

std::string describe(const std::optional<Decimal> &amount)
{
    return amount ? amount->toString().toStdString() : "(none)";
}

} // namespace

TEST(SampleDocumentFiles, EverySampleIsReadBackAsExpected)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"samples/nested"_s);
    const QStringList paths = SampleDocuments::write(folder, SampleDocuments::all());
    ASSERT_EQ(paths.size(), 20);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const SampleDocuments::Sample &sample = SampleDocuments::all().at(i);
        SCOPED_TRACE(sample.fileName.toStdString());
        EXPECT_EQ(paths[i], QDir(folder).filePath(sample.fileName));
        const Recognition read = Recognizer::recognize(paths[i], false);
        SampleDocuments::Expected expected = sample.expected;
        if (sample.fileName == u"Entgelt_10_2026.pdf") {
            // The payslip's "Bruttobezüge" line is a total line by the amount
            // rules, so its total is 3500.00 EUR although the table lists none.
            expected.amount = Decimal::fromString(u"3500.00");
            expected.currency = u"EUR"_s;
        }
        EXPECT_EQ(DocumentKinds::rawValue(read.kind), DocumentKinds::rawValue(expected.kind));
        EXPECT_EQ(describe(read.sender), describe(expected.sender));
        const std::optional<QString> day =
            read.date ? std::optional(CalendarUtc::day(*read.date).toString(Qt::ISODate)) : std::nullopt;
        EXPECT_EQ(describe(day), describe(expected.date));
        EXPECT_EQ(describe(read.amount), describe(expected.amount));
        EXPECT_EQ(describe(read.currency), describe(expected.currency));
        EXPECT_EQ(read.source, Recognition::Source::rules);
    }
}

TEST(SampleDocumentFiles, EachStyleMakesItsKindOfFile)
{
    QTemporaryDir dir;
    const QList<SampleDocuments::Sample> &all = SampleDocuments::all();
    const SampleDocuments::Sample &invoice = all.at(0);
    ASSERT_EQ(all.at(6).style, SampleDocuments::Style::scan);
    ASSERT_EQ(all.at(4).style, SampleDocuments::Style::photo);
    const QStringList paths = SampleDocuments::write(dir.path(), {invoice, all.at(6), all.at(4)});

    // The text layer holds the lines in order (runs of blanks are the layout's).
    const TextExtractor::Output layer = TextExtractor::pdfText(paths[0]);
    EXPECT_FALSE(layer.usedOCR);
    QStringList expected;
    QStringList lines;
    for (const QString &line : invoice.lines)
        if (!line.trimmed().isEmpty())
            expected << line.simplified();
    for (const QString &line : layer.text.split(u'\n'))
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    EXPECT_EQ(lines, expected);

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
    const QString fresh = dir.filePath(u"a/b"_s);
    EXPECT_TRUE(SampleDocuments::write(fresh, {}).isEmpty());
    EXPECT_TRUE(QFileInfo(fresh).isDir());

    const QString shot = SampleDocuments::writeScreenshot(u"Screenshot 2026-10-01 10.00.00.png"_s, fresh);
    EXPECT_EQ(QImageReader(shot).size(), QSize(640, 400));
    const Recognition recognised = Recognizer::recognize(shot, false);
    EXPECT_EQ(std::tuple(recognised.kind, recognised.date.has_value(), recognised.confidence),
              std::tuple(DocumentKind::screenshot, true, 1.0));

    // A picture with hardly any text is a photo.
    EXPECT_EQ(Recognizer::recognize(SampleDocuments::writeScreenshot(u"holiday.png"_s, fresh), false).kind, DocumentKind::photo);

    EXPECT_THROW(SampleDocuments::writeScreenshot(u"x.png"_s, dir.filePath(u"missing"_s)), SampleDocuments::WriteError);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(u"missing"_s)));

    // A folder that cannot be made: a file stands in its way.
    const QString blocker = dir.filePath(u"file"_s);
    QFile(blocker).open(QIODevice::WriteOnly);
    EXPECT_THROW(SampleDocuments::write(blocker + u"/sub"_s, SampleDocuments::all()), SampleDocuments::WriteError);
}
