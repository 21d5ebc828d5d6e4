// Seeding a test store and a throw-away home: the journal it leaves, and the
// homes and stores it refuses.
#include "SeedData.h"

#include "AppModel.h"
#include "FolderWatcher.h"
#include "Prefs.h"
#include "RealHome.h"
#include "SampleDocuments.h"
#include "ScopedEnv.h"
#include "Store.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char refusalLine[] = "APP_SEED ignored: APP_STORE and APP_HOME must be in /tmp\n";

std::unique_ptr<AppModel> makeModel()
{
    return std::make_unique<AppModel>(Store::open(qEnvironmentVariable("APP_STORE")));
}

std::string seedOutput(AppModel &model)
{
    testing::internal::CaptureStdout();
    SeedData::insertIfRequested(model);
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(SeedDataTest, RefusesUnsafeHomesAndStoresAndIgnoresOtherRequests)
{
    auto model = makeModel();
    const QString home = RealHome::path();
    ASSERT_TRUE(TestSupport::writeFile(home + QStringLiteral("/keep.txt"), "keep"));

    // Which homes count as safe is the test environment's own test (SelfTestTest).
    {
        ScopedEnv seed("APP_SEED", QByteArray("1"));
        {
            ScopedEnv homeEnv("APP_HOME", QByteArray("/tmp/../home/x"));
            EXPECT_FALSE(SeedData::home());
            EXPECT_EQ(seedOutput(*model), refusalLine);
        }
        for (const char *unset : {"APP_HOME", "APP_STORE"}) {
            ScopedEnv missing(unset, std::nullopt);
            EXPECT_EQ(seedOutput(*model), refusalLine) << unset;
        }
    }
    for (const char *other : {"true", "yes", "demo", "", " 1"}) {
        ScopedEnv seed("APP_SEED", QByteArray(other));
        EXPECT_EQ(seedOutput(*model), "") << other;
    }
    EXPECT_EQ(model->store().count(Store::Model::storedRule), 0);
    EXPECT_EQ(model->store().count(Store::Model::watchedFolder), 0);
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/keep.txt")));
}

TEST(SeedDataTest, SeedsALivedInJournalOnceIntoTheTemporaryHome)
{
    const TestSupport::ScopedSettings settings;
    ScopedEnv seed("APP_SEED", QByteArray("1"));
    Prefs::setValue(QString::fromUtf16(Prefs::nameLanguageKey), QStringLiteral("de"));
    auto model = makeModel();
    model->setShowOnboarding(true);
    const QString home = RealHome::path();
    ASSERT_TRUE(TestSupport::writeFile(home + QStringLiteral("/earlier.txt"), "from an earlier seeding"));

    EXPECT_EQ(seedOutput(*model), "");
    const Store &store = model->store();
    const QString downloads = home + QStringLiteral("/Downloads");
    const QString desktop = home + QStringLiteral("/Desktop");

    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/earlier.txt")));
    EXPECT_FALSE(model->showOnboarding());
    EXPECT_TRUE(Prefs::settings()->value(QStringLiteral("onboarded")).toBool());
    const QList<WatchedFolder> folders = store.folders();
    ASSERT_EQ(folders.size(), 4);
    EXPECT_EQ(folders.at(0).displayPath, downloads);
    EXPECT_EQ(folders.at(1).displayPath, desktop);
    for (int i = 0; i < folders.size(); ++i)
        EXPECT_EQ(folders.at(i).isWatched, i < 2) << i;
    EXPECT_EQ(store.rules().size(), 5);

    // The sample entries, oldest last, with their ages in minutes.
    QList<JournalEntry> samples;
    QList<JournalEntry> screenshots;
    for (const JournalEntry &entry : store.journal())
        (entry.recognition() ? samples : screenshots).append(entry);
    const QList<std::pair<QString, int>> expected{
        {QStringLiteral("Rechnung_2026_000123.pdf"), 5}, {QStringLiteral("Invoice-ACME-1007.pdf"), 16},
        {QStringLiteral("cedar-labs-invoice.pdf"), 27},  {QStringLiteral("IMG_4417.jpg"), 38},
        {QStringLiteral("IMG_4420.jpg"), 49},            {QStringLiteral("Mietvertrag_Wohnung.pdf"), 60},
        {QStringLiteral("Kontoauszug_09_2026.pdf"), 200}, {QStringLiteral("EC-2026-10.pdf"), 340},
        {QStringLiteral("Rechnung-Werkstatt.pdf"), 480}, {QStringLiteral("Druckerei.pdf"), 760}};
    ASSERT_EQ(samples.size(), 11);
    const auto byName = [&](const QString &name) {
        return *std::find_if(samples.begin(), samples.end(),
                             [&](const JournalEntry &entry) { return entry.originalName() == name; });
    };
    const QDateTime seededAt = byName(QStringLiteral("Rechnung_2026_000123.pdf")).date.addSecs(5 * 60);
    const QList<RecognitionRecord> records = store.recognitionRecords();
    ASSERT_EQ(records.size(), 11);
    const auto readingAt = [&](const QString &path) {
        return std::any_of(records.begin(), records.end(), [&](const RecognitionRecord &record) { return record.path == path; });
    };
    for (const auto &[name, minutes] : expected) {
        const JournalEntry entry = byName(name);
        EXPECT_EQ(entry.date, seededAt.addSecs(-60 * minutes)) << name.toStdString();
        EXPECT_EQ(entry.statusRaw, QStringLiteral("done")) << name.toStdString();
        EXPECT_TRUE(entry.performed()) << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(entry.newPath) && !QFileInfo::exists(entry.originalPath)) << name.toStdString();
        EXPECT_EQ(entry.recognition()->confidence, 0.9);
        // The reading follows the filed file.
        EXPECT_TRUE(readingAt(entry.newPath)) << name.toStdString();
    }

    const JournalEntry review = byName(QStringLiteral("Scan 13.pdf"));
    EXPECT_EQ(review.statusRaw, QStringLiteral("review"));
    EXPECT_EQ(review.message, QStringLiteral("amount: model 280.00, patterns 312.50"));
    EXPECT_EQ(review.date, seededAt.addSecs(-60));
    EXPECT_TRUE(review.plan());
    EXPECT_EQ(review.recognition()->amount, Decimal::fromString(QStringLiteral("280.00")));
    EXPECT_EQ(review.recognition()->confidence, 0.45);
    EXPECT_TRUE(QFileInfo::exists(downloads + QStringLiteral("/Scan 13.pdf")));
    EXPECT_TRUE(readingAt(downloads + QStringLiteral("/Scan 13.pdf")));

    // Both screenshots were filed a day earlier, at the same moment.
    ASSERT_EQ(screenshots.size(), 2);
    for (const JournalEntry &entry : screenshots) {
        EXPECT_EQ(entry.date, seededAt.addSecs(-93'600));
        EXPECT_TRUE(entry.performed() && !entry.plan());
        EXPECT_TRUE(entry.originalPath.startsWith(desktop + QLatin1Char('/')));
        EXPECT_TRUE(QFileInfo::exists(entry.newPath));
    }
    EXPECT_TRUE(FolderWatcher::recentFiles(desktop, 10).isEmpty());

    // The other samples and the placeholders stay in Downloads, unread.
    for (const SampleDocuments::Sample &sample : SampleDocuments::all()) {
        if (std::any_of(samples.begin(), samples.end(),
                        [&](const JournalEntry &entry) { return entry.originalName() == sample.fileName; }))
            continue;
        const QString path = downloads + QLatin1Char('/') + sample.fileName;
        EXPECT_TRUE(QFileInfo::exists(path)) << sample.fileName.toStdString();
        EXPECT_FALSE(readingAt(path)) << sample.fileName.toStdString();
    }
    EXPECT_EQ(TestSupport::readFile(downloads + QStringLiteral("/Notizen.txt")), QByteArray("demo"));

    // A store that holds rules is never seeded again, and the home stays.
    ASSERT_TRUE(TestSupport::writeFile(home + QStringLiteral("/later.txt"), "later"));
    EXPECT_EQ(seedOutput(*model), "");
    EXPECT_TRUE(QFileInfo::exists(home + QStringLiteral("/later.txt")));
    EXPECT_EQ(store.journal().size(), 13);
}
