// The built-in samples read back by the pattern reader to the values each
// one is meant to yield.
#include "PatternReader.h"
#include "SampleDocuments.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(SampleDocuments, TableIsComplete)
{
    const QList<SampleDocuments::Sample> &samples = SampleDocuments::all();
    ASSERT_EQ(samples.size(), 20);
    EXPECT_EQ(samples.first().fileName, QStringLiteral("Rechnung_2026_000123.pdf"));
    EXPECT_EQ(samples.last().fileName, QStringLiteral("Druckerei.pdf"));
    QSet<QString> names;
    int scans = 0;
    int photos = 0;
    for (const SampleDocuments::Sample &sample : samples) {
        names.insert(sample.fileName);
        scans += sample.style == SampleDocuments::Style::scan;
        photos += sample.style == SampleDocuments::Style::photo;
        EXPECT_TRUE(sample.expected.sender) << qPrintable(sample.fileName);
        EXPECT_TRUE(sample.expected.date) << qPrintable(sample.fileName);
        // An amount always comes with its currency, and only receipts have one.
        EXPECT_EQ(bool(sample.expected.amount), bool(sample.expected.currency)) << qPrintable(sample.fileName);
        EXPECT_EQ(bool(sample.expected.amount), DocumentKinds::isReceipt(sample.expected.kind))
            << qPrintable(sample.fileName);
    }
    EXPECT_EQ(names.size(), 20);
    EXPECT_EQ(scans, 2);
    EXPECT_EQ(photos, 3);
    // Blank runs inside a line and empty lines are part of the text.
    EXPECT_EQ(samples[0].lines[2], QString());
    EXPECT_EQ(samples[0].lines[8], QStringLiteral("Cloud-Server S       1         10,37 €"));
    EXPECT_EQ(samples[14].lines[0], QStringLiteral("Zahlbar bis 26.10.2026"));
}

TEST(SampleDocuments, PatternReaderYieldsEachSamplesExpectedValues)
{
    for (const SampleDocuments::Sample &sample : SampleDocuments::all()) {
        SCOPED_TRACE(sample.fileName.toStdString());
        // The lines joined with line breaks, as a PDF's text layer gives them.
        const PatternReader::Result result = PatternReader::read(sample.lines.join(u'\n'));
        const SampleDocuments::Expected &expected = sample.expected;
        EXPECT_EQ(result.kind, expected.kind);
        EXPECT_EQ(result.sender, expected.sender);
        ASSERT_TRUE(result.date);
        EXPECT_EQ(CalendarUtc::day(*result.date).toString(Qt::ISODate), expected.date);

        if (sample.fileName == QLatin1String("Entgelt_10_2026.pdf")) {
            // The payslip lists no amount, but it has total lines ("Bruttobezüge"
            // holds "brutto", "Auszahlungsbetrag" holds "betrag"), and a total
            // line gives any kind its total: the larger of the two, 3500.00 EUR.
            ASSERT_EQ(expected.kind, DocumentKind::payslip);
            EXPECT_FALSE(expected.amount);
            ASSERT_TRUE(result.total);
            EXPECT_EQ(result.total->amount, *Decimal::fromString(u"3500.00"));
            EXPECT_EQ(result.total->currency, QStringLiteral("EUR"));
            continue;
        }
        EXPECT_EQ(result.total.has_value(), expected.amount.has_value());
        if (result.total && expected.amount) {
            EXPECT_EQ(result.total->amount, *expected.amount);
            EXPECT_EQ(result.total->currency, expected.currency);
        }
    }
}
