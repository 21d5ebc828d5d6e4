// The screenshot mode's parts: the page selection, and window captures that
// retry, fall back and never report a picture they did not write.
#include "Snapshot.h"

#include "AppModel.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "RulesPage.h"
#include "Store.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>


TEST(SnapshotTest, SelectionAndTimeScaleComeFromTheEnvironment)
{
    QProcessEnvironment environment;
    EXPECT_EQ(Snapshot::selection(environment), std::nullopt);
    EXPECT_EQ(Snapshot::timeScale(environment), 1.0);
    environment.insert(QStringLiteral("APP_SNAPSHOT_PAGES"), QString());
    EXPECT_EQ(Snapshot::selection(environment), QSet<QString>());
    environment.insert(QStringLiteral("APP_SNAPSHOT_PAGES"), QStringLiteral("rules,,receipts, journal,Settings"));
    EXPECT_EQ(Snapshot::selection(environment),
              (QSet<QString>{QStringLiteral("rules"), QStringLiteral("receipts"), QStringLiteral(" journal"),
                             QStringLiteral("Settings")}));
    for (const char *bad : {"0", "-1", "nan", "fast"}) {
        environment.insert(QStringLiteral("APP_SNAPSHOT_TIMESCALE"), QLatin1String(bad));
        EXPECT_EQ(Snapshot::timeScale(environment), 1.0) << bad;
    }
    environment.insert(QStringLiteral("APP_SNAPSHOT_TIMESCALE"), QStringLiteral("0.1"));
    EXPECT_EQ(Snapshot::timeScale(environment), 0.1);
}

TEST(SnapshotTest, TheProbeFileReplacesOnlyTheTrailingPng)
{
    EXPECT_EQ(WindowCapture::probePath(QStringLiteral("shots/a.png.d/x.png")), QStringLiteral("shots/a.png.d/x-layout.json"));
    EXPECT_EQ(WindowCapture::probePath(QStringLiteral("shots/x")), QStringLiteral("shots/x-layout.json"));
}

TEST(SnapshotTest, CapturesRetryThenFallBackAndReportWhatTheyWrote)
{
    QTemporaryDir dir;
    QLabel window(QStringLiteral("Filewright"));
    window.resize(240, 120);
    window.show();
    QStringList lines;
    int tries = 0;
    const auto output = [&lines](const QString &line) { lines.append(line); };
    const auto nothing = [&tries](QWidget &, const QString &) { return ++tries, false; };
    const auto secondTime = [&tries](QWidget &window, const QString &path) {
        return ++tries == 2 && WindowCapture::grab(window, path);
    };

    // A tool that succeeds on the second try.
    const QString first = dir.filePath(QStringLiteral("first.png"));
    EXPECT_TRUE(QCoro::waitFor(WindowCapture(output, 0.01, secondTime).capture(first, &window)));
    EXPECT_EQ(lines, QStringList{QStringLiteral("SNAPSHOT ") + first});
    EXPECT_EQ(QImage(first).size(), QSize(240, 120));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("first-layout.json"))));

    // A tool that writes nothing: three tries, then the fallback, over a stale picture.
    tries = 0;
    lines.clear();
    EXPECT_TRUE(QCoro::waitFor(WindowCapture(output, 0.01, nothing).capture(first, &window)));
    EXPECT_EQ(tries, WindowCapture::attempts);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("SNAPSHOT ") + first + QStringLiteral(" (fallback: ")));
    EXPECT_EQ(QImage(first).size(), QSize(240, 120));

    // Neither writes: the stale picture is gone and the line says so.
    lines.clear();
    EXPECT_FALSE(QCoro::waitFor(WindowCapture(output, 0.01, nothing, nothing).capture(first, &window)));
    EXPECT_EQ(lines, QStringList{QStringLiteral("SNAPSHOT failed: ") + first});
    EXPECT_FALSE(QFileInfo::exists(first));

    // Nowhere to write: a failure, however the picture was taken.
    lines.clear();
    const QString nowhere = dir.filePath(QStringLiteral("missing/x.png"));
    EXPECT_FALSE(QCoro::waitFor(WindowCapture(output, 0.01).capture(nowhere, &window)));
    EXPECT_EQ(lines, QStringList{QStringLiteral("SNAPSHOT failed: ") + nowhere});
}

// The rules page makes its cards a slice per turn; its picture waits for the
// last card however short the tour's pauses (as on a busy machine).
TEST(SnapshotTest, ThePictureOfTheRulesPageWaitsForItsLastCard)
{
    QTemporaryDir dir;
    FilewrightApp app(Store::open(dir.filePath(QStringLiteral("tour.store"))));
    app.showMainWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.mainWindow()));
    constexpr int count = 60;
    for (int order = 0; order < count; ++order) {
        const Rule rule{QUuid::createUuid(), QStringLiteral("Rule %1").arg(order), {}, {}, true, std::nullopt};
        StoredRule stored(rule, std::nullopt, order);
        ASSERT_TRUE(app.model().store().insert(stored));
    }
    std::optional<qsizetype> cardsPictured;
    Snapshot snapshot(app.model(), {}, dir.filePath(QStringLiteral("shots")), QSet<QString>{QStringLiteral("rules")},
                      0.001, [&](const QString &line) {
                          const auto *page = app.mainWindow().findChild<RulesPage *>();
                          if (line.endsWith(QStringLiteral("/rules-light.png")) && page)
                              cardsPictured = page->cards().size();
                      });
    snapshot.run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return snapshot.isFinished(); }, 60000));
    EXPECT_EQ(cardsPictured, count);
}
