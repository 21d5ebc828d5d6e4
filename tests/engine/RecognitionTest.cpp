#include "JsonCoding.h"
#include "Recognition.h"

#include <QJsonDocument>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {
Recognition fullRecognition()
{
    return Recognition{DocumentKind::invoice,
                       QStringLiteral("Muster GmbH"),
                       CalendarUtc::noon(QDate(2024, 12, 31)),
                       *Decimal::fromString(u"119.90"),
                       QStringLiteral("EUR"),
                       QStringLiteral("RE-1"),
                       0.85,
                       Recognition::Source::model,
                       QDateTime::fromMSecsSinceEpoch(1733500000123, Qt::UTC),
                       {QStringLiteral("no date found")}};
}
} // namespace

TEST(Recognition, ReviewThresholdIsStrict)
{
    Recognition r;
    r.confidence = 0.6;
    EXPECT_FALSE(r.needsReview());
    r.confidence = 0.5999;
    EXPECT_TRUE(r.needsReview());
}

TEST(Recognition, KindsAndLanguages)
{
    EXPECT_FALSE(DocumentKinds::fromRawValue(u"Invoice"));
    EXPECT_EQ(DocumentKinds::fromRawValue(u"bankStatement"), DocumentKind::bankStatement);
    EXPECT_EQ(DocumentKinds::name(DocumentKind::other, NameLanguage::de), QStringLiteral("Sonstiges"));
    EXPECT_EQ(DocumentKinds::name(DocumentKind::installer, NameLanguage::de), QStringLiteral("Installer"));
    EXPECT_EQ(DocumentKinds::name(DocumentKind::installer, NameLanguage::en), QStringLiteral("Installer"));
    int receipts = 0;
    for (DocumentKind kind : DocumentKinds::allCases) {
        receipts += DocumentKinds::isReceipt(kind);
        EXPECT_EQ(DocumentKinds::fromRawValue(DocumentKinds::rawValue(kind)), kind);
    }
    EXPECT_EQ(receipts, 2);
}

TEST(Recognition, DocumentDaysDoNotShiftWithTheTimeZone)
{
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "Pacific/Kiritimati");
    const QDateTime noon = CalendarUtc::noon(QDate(2024, 12, 31));
    EXPECT_EQ(CalendarUtc::day(noon.toLocalTime()), QDate(2024, 12, 31));
    qputenv("TZ", "Pacific/Pago_Pago");
    EXPECT_EQ(CalendarUtc::day(noon.toLocalTime()), QDate(2024, 12, 31));
    qputenv("TZ", saved);
}

TEST(RecognitionJson, RoundTripsEveryField)
{
    const Recognition original = fullRecognition();
    const Recognition back = Recognition::fromJsonData(original.toJsonData());
    EXPECT_EQ(back, original);
    // A document day reads as whole days plus 43200 seconds since 2001.
    const double date = original.toJson().value(QStringLiteral("date")).toDouble();
    EXPECT_EQ(std::fmod(date, 86400.0), 43200.0);
}

TEST(RecognitionJson, LeavesOutAbsentFieldsAndKeepsAmountDigits)
{
    Recognition bare;
    bare.readAt = QDateTime::fromSecsSinceEpoch(JsonCoding::referenceEpochOffset, Qt::UTC);
    const QJsonObject object = bare.toJson();
    EXPECT_EQ(object.keys(), (QStringList{"confidence", "kind", "notes", "readAt", "source"}));
    EXPECT_EQ(object.value(QStringLiteral("readAt")).toDouble(), 0.0);

    const QByteArray json = R"({"kind":"receipt","amount":12.5,"confidence":1,"source":"rules","readAt":0,"notes":[],"sender":null})";
    const Recognition read = Recognition::fromJsonData(json);
    EXPECT_EQ(read.amount, Decimal::fromString(u"12.5"));
    EXPECT_FALSE(read.sender.has_value());
    EXPECT_TRUE(read.toJsonData().contains("\"amount\":12.5,"));
}

TEST(RecognitionJson, RejectsMissingKeysWrongTypesAndUnknownValues)
{
    const QJsonObject good = fullRecognition().toJson();
    for (const char *key : {"kind", "confidence", "source", "readAt", "notes"}) {
        QJsonObject missing = good;
        missing.remove(QLatin1String(key));
        EXPECT_THROW(Recognition::fromJson(missing), JsonCoding::DecodeError) << key;
    }
    const std::pair<const char *, QJsonValue> wrong[] = {
        {"kind", QStringLiteral("Invoice")}, {"source", QStringLiteral("oracle")},
        {"confidence", QStringLiteral("high")}, {"amount", QStringLiteral("12.50")},
        {"notes", QStringLiteral("x")}, {"sender", 5}, {"date", true},
        // Dates beyond the years 1 to 9999 would overflow on the way in.
        {"readAt", 9.2e15}, {"date", -1e300}};
    for (const auto &[key, value] : wrong) {
        QJsonObject broken = good;
        broken.insert(QLatin1String(key), value);
        EXPECT_THROW(Recognition::fromJson(broken), JsonCoding::DecodeError) << key;
    }
    EXPECT_THROW(Recognition::fromJsonData("not json"), JsonCoding::DecodeError);
    EXPECT_THROW(Recognition::fromJsonData("[1,2]"), JsonCoding::DecodeError);
}
