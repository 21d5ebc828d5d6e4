#include "AutopilotFixture.h"

#include "TestSupport.h"

#include <QCryptographicHash>

#include <unistd.h>

namespace {

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

class RecognitionCacheTest : public AutopilotFixture
{
protected:
    std::optional<Recognition> recognizeNow(const QString &path)
    {
        QObject context;
        std::optional<Recognition> reading;
        autopilot->recognize(path, std::nullopt, false, &context, [&](const Recognition &r) { reading = r; });
        (void)QTest::qWaitFor([&] { return reading.has_value(); }, patienceMs);
        return reading;
    }
};

TEST_F(RecognitionCacheTest, TheHashCoversTheFirstMillionBytesAndTheSize)
{
    const QString folder = folderPath(QStringLiteral("Inbox"));
    QByteArray big(1'500'000, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 7 % 251);
    // The same first million bytes and another size give another key.
    const struct { QByteArray content; QByteArray hashed; } cases[] = {
        {{}, "0"}, {big, big.left(1'000'000) + "1500000"}, {big + "x", big.left(1'000'000) + "1500001"}};
    for (const auto &c : cases) {
        const QString path = folder + QStringLiteral("/file");
        ASSERT_TRUE(TestSupport::writeFile(path, c.content));
        EXPECT_EQ(RecognitionCache::hash(path), sha256(c.hashed)) << c.content.size();
    }

    const QString missing = folder + QStringLiteral("/missing");
    EXPECT_FALSE(RecognitionCache::hash(missing).has_value());
    EXPECT_EQ(Autopilot::hash(missing), missing);
}

TEST_F(RecognitionCacheTest, TwoMissesForTheSameContentKeepOneRecord)
{
    makeAutopilot();
    const QString first = clearInvoice(QStringLiteral("a.pdf"));
    const QString second = folderPath(QStringLiteral("Inbox")) + QStringLiteral("/b.pdf");
    ASSERT_TRUE(QFile::copy(first, second));

    QObject context;
    QList<Recognition> readings;
    for (const QString &path : {first, second})
        autopilot->recognize(path, std::nullopt, false, &context, [&](const Recognition &r) { readings.append(r); });
    // Both missed and both are being read side by side.
    EXPECT_EQ(autopilot->busyFiles(), (QStringList{QStringLiteral("a.pdf"), QStringLiteral("b.pdf")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return readings.size() == 2; }, patienceMs));
    EXPECT_EQ(readings[0], readings[1]);
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 1);
    EXPECT_TRUE(autopilot->busyFiles().isEmpty());
}

TEST_F(RecognitionCacheTest, AFileThatComesBackIsNotReadAgainAndCorrectedValuesWin)
{
    makeAutopilot();
    const QString path = clearInvoice(QStringLiteral("a.pdf"));
    ASSERT_TRUE(recognizeNow(path).has_value());
    ASSERT_EQ(store->count(Store::Model::recognitionRecord), 1);

    RecognitionRecord record = store->recognitionRecords().first();
    Recognition corrected = record.recognition();
    corrected.sender = QStringLiteral("Corrected GmbH");
    record.setRecognition(corrected);
    record.edited = true;
    store->update(record);

    const QString renamed = folderPath(QStringLiteral("Sorted")) + QStringLiteral("/renamed.pdf");
    ASSERT_TRUE(QFile::rename(path, renamed));
    QObject context;
    std::optional<Recognition> again;
    autopilot->recognize(renamed, std::nullopt, std::nullopt, &context, [&](const Recognition &r) { again = r; });
    // A hit answers at once, without a slot or a busy name.
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->sender, QStringLiteral("Corrected GmbH"));
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 1);
    EXPECT_EQ(store->recognitionRecords().first().path, renamed);
}

TEST_F(RecognitionCacheTest, AFileThatCannotBeReadIsReadButNotKept)
{
    makeAutopilot();
    QString path = clearInvoice(QStringLiteral("locked.pdf"));
    if (geteuid() == 0) {
        // The superuser reads every file; a folder opens but cannot be read.
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_TRUE(QDir().mkpath(path));
    } else {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    }
    EXPECT_FALSE(RecognitionCache::hash(path).has_value());
    EXPECT_TRUE(recognizeNow(path).has_value());
    EXPECT_EQ(store->count(Store::Model::recognitionRecord), 0);
}
