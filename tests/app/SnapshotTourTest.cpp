// The screenshot tour as CI runs it: the filewright executable, offscreen, on
// a private session bus, with a fresh home, settings, data folder and a
// seeded test store, every wait shortened tenfold.
#include "GridProbes.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

enum class Window { main, sheet, settings, panel };

struct Shot
{
    const char *name; // the picture's file name without "-light.png" or "-dark.png"
    Window window;
};

// ---------------------------------------------------------------------------
// THE VIEWS THE TOUR MUST SHOW. Every view listed here is checked in light and
// dark. A page, sheet or settings tab joins by its line here once it is built;
// until then its line stays commented out (the tour still takes its picture,
// of the placeholder or of the main window, but nothing is checked of it).
// ---------------------------------------------------------------------------
const Shot expectedShots[] = {
    {"rules", Window::main},
    {"journal", Window::main},
    {"folders", Window::main},
    {"receipts", Window::main},
    {"sheet-editor", Window::sheet},
    {"sheet-onboarding", Window::sheet},
    {"sheet-review", Window::sheet},
    {"sheet-palette", Window::sheet},
    {"settings-general", Window::settings},
    {"settings-names", Window::settings},
    {"settings-appearance", Window::settings},
    {"panel", Window::panel},
};

// Every picture of a full tour, in the order the tour takes them.
QStringList fullTour()
{
    QStringList names;
    for (const char *appearance : {"light", "dark"}) {
        for (const char *page : {"rules", "journal", "folders", "receipts"})
            names.append(QStringLiteral("%1-%2.png").arg(QLatin1String(page), QLatin1String(appearance)));
    }
    for (const char *sheet : {"editor", "onboarding", "review", "palette"}) {
        for (const char *appearance : {"light", "dark"})
            names.append(QStringLiteral("sheet-%1-%2.png").arg(QLatin1String(sheet), QLatin1String(appearance)));
    }
    for (const char *appearance : {"light", "dark"}) {
        for (const char *tab : {"general", "names", "appearance"})
            names.append(QStringLiteral("settings-%1-%2.png").arg(QLatin1String(tab), QLatin1String(appearance)));
    }
    for (const char *appearance : {"light", "dark"})
        names.append(QStringLiteral("panel-%1.png").arg(QLatin1String(appearance)));
    return names;
}

struct TourRun
{
    int exitCode = -1;
    QStringList lines;
    QString folder;
};

// Runs filewright in screenshot mode in a fresh environment below root.
TourRun tour(const QTemporaryDir &root, const std::optional<QString> &pages, bool testStore = true)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const std::pair<const char *, const char *> folders[] = {
        {"HOME", "home"}, {"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "cache"},
        {"APP_HOME", "apphome"}};
    for (const auto &[variable, folder] : folders) {
        QDir(root.path()).mkpath(QLatin1String(folder));
        environment.insert(QLatin1String(variable), root.filePath(QLatin1String(folder)));
    }
    environment.remove(QStringLiteral("APP_STORE"));
    environment.remove(QStringLiteral("APP_SEED"));
    if (testStore) {
        environment.insert(QStringLiteral("APP_STORE"), root.filePath(QStringLiteral("tour.store")));
        environment.insert(QStringLiteral("APP_SEED"), QStringLiteral("1"));
    }
    environment.insert(QStringLiteral("APP_SNAPSHOT"), root.filePath(QStringLiteral("shots")));
    environment.insert(QStringLiteral("APP_SNAPSHOT_TIMESCALE"), QStringLiteral("0.1"));
    environment.remove(QStringLiteral("APP_SNAPSHOT_PAGES"));
    if (pages)
        environment.insert(QStringLiteral("APP_SNAPSHOT_PAGES"), *pages);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("dbus-run-session"), {QStringLiteral("--"), QStringLiteral(FILEWRIGHT_BINARY)});
    TourRun run;
    run.folder = root.filePath(QStringLiteral("shots"));
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return run;
}

QStringList reported(const TourRun &run)
{
    QStringList names;
    for (const QString &line : run.lines) {
        if (line.startsWith(QStringLiteral("SNAPSHOT ") + run.folder + u'/'))
            names.append(line.mid(QStringLiteral("SNAPSHOT ").size() + run.folder.size() + 1));
    }
    return names;
}

bool oneColour(const QImage &image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

} // namespace

TEST(SnapshotTourTest, TheWholeTourShowsEveryViewInLightAndDark)
{
    QTemporaryDir root;
    const TourRun run = tour(root, std::nullopt);
    ASSERT_EQ(run.exitCode, 0) << run.lines.join(u'\n').toStdString();
    EXPECT_EQ(reported(run), fullTour()) << run.lines.join(u'\n').toStdString();
    ASSERT_FALSE(run.lines.isEmpty());
    EXPECT_EQ(run.lines.constLast(), QStringLiteral("SNAPSHOT done ") + run.folder);

    const QImage main(run.folder + QStringLiteral("/rules-light.png"));
    ASSERT_FALSE(main.isNull());
    for (const QString &name : fullTour())
        EXPECT_FALSE(QImage(run.folder + u'/' + name).isNull()) << name.toStdString();

    for (const Shot &shot : expectedShots) {
        QImage pictures[2];
        int index = 0;
        for (const char *appearance : {"light", "dark"}) {
            const QString base = run.folder + u'/' + QLatin1String(shot.name) + u'-' + QLatin1String(appearance);
            const QImage image(base + QStringLiteral(".png"));
            const std::optional<GridProbes::File> probes = GridProbes::decode(
                [&base] { QFile file(base + QStringLiteral("-layout.json")); return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(); }());
            SCOPED_TRACE(base.toStdString());
            ASSERT_FALSE(image.isNull());
            ASSERT_TRUE(probes);
            EXPECT_EQ(image.size(), probes->window.toSize());
            EXPECT_FALSE(oneColour(image));
            if (shot.window != Window::main) {
                EXPECT_NE(image.size(), main.size()); // its own window, not the main window
            }
            const QRectF inside(QPointF(0, 0), QSizeF(image.size()));
            for (const GridProbes::Probe &probe : probes->probes) {
                if (probe.kind == GridProbes::Kind::area) {
                    EXPECT_TRUE(inside.contains(QRectF(probe.x, probe.y, probe.width, probe.height)))
                        << probe.name.toStdString();
                }
            }
            pictures[index++] = image;
        }
        EXPECT_NE(pictures[0], pictures[1]) << shot.name;
    }
}

TEST(SnapshotTourTest, PagesNarrowTheTourAndNoTestStoreRefusesIt)
{
    {
        QTemporaryDir root;
        const TourRun run = tour(root, QStringLiteral("journal,settings"));
        EXPECT_EQ(run.exitCode, 0);
        const QStringList all = fullTour();
        EXPECT_EQ(reported(run), (QStringList{all[1], all[5]} + all.mid(16, 6)));
    }
    {
        QTemporaryDir root;
        const TourRun run = tour(root, QString());
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.lines, QStringList{QStringLiteral("SNAPSHOT done ") + run.folder});
        EXPECT_TRUE(QDir(run.folder).entryList(QDir::Files).isEmpty());
    }
    {
        QTemporaryDir root;
        const TourRun run = tour(root, std::nullopt, false);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_EQ(run.lines, QStringList{QStringLiteral("SNAPSHOT refused: set APP_STORE to a file in /tmp")});
        EXPECT_FALSE(QFileInfo::exists(run.folder));
    }
}
