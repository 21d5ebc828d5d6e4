// The screenshot tour as CI runs it: the filewright executable, offscreen, on
// a private session bus, with a fresh home, settings, data folder and a
// seeded test store, every wait shortened tenfold.
#include "AutomationBus.h"
#include "GridProbes.h"
#include "TestSupport.h"
#include "WindowPictures.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

namespace {

enum class Window { main, sheet, settings };

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
};

// Every picture of a full tour, in the order the tour takes them: the pages
// light then dark, each sheet light and dark, the settings tabs light then
// dark. Windows beyond these (the dry-run sheet, the tray panel) have their
// pictures checked in their own tests.
QStringList fullTour()
{
    return {"rules-light.png",
            "journal-light.png",
            "folders-light.png",
            "receipts-light.png",
            "rules-dark.png",
            "journal-dark.png",
            "folders-dark.png",
            "receipts-dark.png",
            "sheet-editor-light.png",
            "sheet-editor-dark.png",
            "sheet-onboarding-light.png",
            "sheet-onboarding-dark.png",
            "sheet-review-light.png",
            "sheet-review-dark.png",
            "sheet-palette-light.png",
            "sheet-palette-dark.png",
            "settings-general-light.png",
            "settings-names-light.png",
            "settings-appearance-light.png",
            "settings-general-dark.png",
            "settings-names-dark.png",
            "settings-appearance-dark.png"};
}

struct TourRun : TestSupport::ProcessRun
{
    QString folder;
};

// The environment of filewright in screenshot mode, fresh below root, its
// windows in English or, given "de", in German.
QProcessEnvironment tourEnvironment(const QTemporaryDir &root, const std::optional<QString> &pages, bool testStore,
                                    const QString &language)
{
    QProcessEnvironment environment = TestSupport::isolatedEnvironment(root.path());
    if (testStore) {
        environment.insert(QStringLiteral("APP_STORE"), root.filePath(QStringLiteral("tour.store")));
        environment.insert(QStringLiteral("APP_SEED"), QStringLiteral("1"));
    }
    environment.insert(QStringLiteral("APP_SNAPSHOT"), root.filePath(QStringLiteral("shots")));
    environment.insert(QStringLiteral("APP_SNAPSHOT_TIMESCALE"), QStringLiteral("0.1"));
    if (pages)
        environment.insert(QStringLiteral("APP_SNAPSHOT_PAGES"), *pages);
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("LANGUAGE"), language);
    return environment;
}

// Runs filewright in screenshot mode on a session bus of its own.
TourRun tour(const QTemporaryDir &root, const std::optional<QString> &pages, bool testStore = true,
             const QString &language = QStringLiteral("en"))
{
    return {TestSupport::run(QStringLiteral("dbus-run-session"), {QStringLiteral("--"), QStringLiteral(FILEWRIGHT_BINARY)},
                             tourEnvironment(root, pages, testStore, language)),
            root.filePath(QStringLiteral("shots"))};
}

// A Filewright as a person runs it, on the default store below root and on a
// session bus the test starts for it; both end with the scope.
class RunningFilewright
{
public:
    explicit RunningFilewright(const QTemporaryDir &root)
    {
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        while (!m_bus.canReadLine() && m_bus.waitForReadyRead(10000)) {
        }
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        if (m_address.isEmpty())
            return;
        m_environment = TestSupport::isolatedEnvironment(root.path());
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        m_environment.insert(QStringLiteral("APP_MODEL_URL"), QStringLiteral("http://127.0.0.1:9/v1"));
        m_application.setProcessEnvironment(m_environment);
        m_application.start(QStringLiteral(FILEWRIGHT_BINARY), {});
    }
    ~RunningFilewright()
    {
        m_application.terminate();
        m_application.waitForFinished(10000);
        QDBusConnection::disconnectFromBus(connectionName);
        m_bus.terminate();
        m_bus.waitForFinished(10000);
    }
    RunningFilewright(const RunningFilewright &) = delete;
    RunningFilewright &operator=(const RunningFilewright &) = delete;

    QString busAddress() const { return m_address; }
    bool isRunning() const { return m_application.state() == QProcess::Running; }

    // Whether it has taken the session's name, which it does once it holds its store.
    bool isUp() const
    {
        if (m_address.isEmpty())
            return false;
        const QDBusConnection bus = QDBusConnection::connectToBus(m_address, connectionName);
        return bus.isConnected()
            && bus.interface()->isServiceRegistered(QLatin1String(AutomationBus::serviceName)).value();
    }

private:
    static inline const QString connectionName = QStringLiteral("runningFilewright");

    QProcess m_bus;
    QString m_address;
    QProcessEnvironment m_environment;
    QProcess m_application;
};

QStringList reported(const TourRun &run)
{
    QStringList names;
    for (const QString &line : run.lines) {
        if (line.startsWith(QStringLiteral("SNAPSHOT ") + run.folder + u'/'))
            names.append(line.mid(QStringLiteral("SNAPSHOT ").size() + run.folder.size() + 1));
    }
    return names;
}

// The whole tour in one language: every picture taken, every view checked in
// light and dark, nothing drawn outside its window.
void checkWholeTour(const QString &language)
{
    SCOPED_TRACE(language.toStdString());
    QTemporaryDir root;
    const TourRun run = tour(root, std::nullopt, true, language);
    ASSERT_EQ(run.exitCode, 0) << run.lines.join(u'\n').toStdString();
    EXPECT_EQ(reported(run), fullTour()) << run.lines.join(u'\n').toStdString();
    EXPECT_EQ(run.lines.value(run.lines.size() - 1), QStringLiteral("SNAPSHOT done ") + run.folder);
    // Nothing but the tour's pictures is written.
    QStringList written = QDir(run.folder).entryList({QStringLiteral("*.png")}, QDir::Files);
    QStringList expected = fullTour();
    written.sort();
    expected.sort();
    EXPECT_EQ(written, expected);

    const QImage main(run.folder + QStringLiteral("/rules-light.png"));
    for (const QString &name : fullTour())
        EXPECT_FALSE(QImage(run.folder + u'/' + name).isNull()) << name.toStdString();

    const auto probeFile = [](const QString &base) {
        QFile file(base + QStringLiteral("-layout.json"));
        return GridProbes::decode(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    };
    const auto rulesProbes = [](const GridProbes::File &file) {
        QList<GridProbes::Probe> rules;
        for (const GridProbes::Probe &probe : file.probes) {
            if (probe.area == QStringLiteral("rules"))
                rules.append(probe);
        }
        return rules;
    };
    for (const Shot &shot : expectedShots) {
        QImage pictures[2];
        int index = 0;
        for (const char *appearance : {"light", "dark"}) {
            const QString base = run.folder + u'/' + QLatin1String(shot.name) + u'-' + QLatin1String(appearance);
            const QImage image(base + QStringLiteral(".png"));
            const std::optional<GridProbes::File> probes = probeFile(base);
            SCOPED_TRACE(base.toStdString());
            ASSERT_FALSE(image.isNull());
            ASSERT_TRUE(probes);
            WindowPictures::expectWholePicture(image, *probes);
            if (shot.window == Window::main) {
                WindowPictures::expectAreasInside(image, *probes);
            } else {
                EXPECT_NE(image.size(), main.size()); // its own window, not the main window
            }
            pictures[index++] = image;
        }
        EXPECT_NE(pictures[0], pictures[1]) << shot.name;
    }

    // The probe file of a sheet or of the settings window lists the probes
    // there are, those of the rules page in the main window under it among
    // them, where the rules page's own picture has them, beside the size of
    // the window captured.
    for (const char *appearance : {"light", "dark"}) {
        const QString rulesBase = run.folder + QStringLiteral("/rules-") + QLatin1String(appearance);
        const std::optional<GridProbes::File> rulesPage = probeFile(rulesBase);
        ASSERT_TRUE(rulesPage);
        const QList<GridProbes::Probe> expected = rulesProbes(*rulesPage);
        ASSERT_FALSE(expected.isEmpty());
        for (const char *shot : {"sheet-editor", "sheet-palette", "settings-general", "settings-appearance"}) {
            const QString base = run.folder + u'/' + QLatin1String(shot) + u'-' + QLatin1String(appearance);
            SCOPED_TRACE(base.toStdString());
            const std::optional<GridProbes::File> probes = probeFile(base);
            ASSERT_TRUE(probes);
            EXPECT_EQ(probes->window.toSize(), QImage(base + QStringLiteral(".png")).size());
            EXPECT_NE(probes->window, rulesPage->window);
            EXPECT_EQ(rulesProbes(*probes), expected);
        }
    }
}

} // namespace

TEST(SnapshotTourTest, TheWholeTourShowsEveryViewInLightAndDark)
{
    checkWholeTour(QStringLiteral("en"));
}

TEST(SnapshotTourTest, TheWholeTourShowsEveryViewInGermanToo)
{
    checkWholeTour(QStringLiteral("de"));
}

TEST(SnapshotTourTest, PagesNarrowTheTour)
{
    {
        QTemporaryDir root;
        const TourRun run = tour(root, QStringLiteral("journal,settings"));
        EXPECT_EQ(run.exitCode, 0);
        const QStringList all = fullTour();
        const qsizetype settings = all.indexOf(QStringLiteral("settings-general-light.png"));
        EXPECT_EQ(reported(run), (QStringList{all[1], all[5]} + all.mid(settings, 6)));
    }
    {
        // The sheets alone: their eight pictures, no page and no settings tab.
        QTemporaryDir root;
        const TourRun run = tour(root, QStringLiteral("sheets"));
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(reported(run), fullTour().mid(8, 8));
    }
    {
        QTemporaryDir root;
        const TourRun run = tour(root, QString());
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.lines, QStringList{QStringLiteral("SNAPSHOT done ") + run.folder});
        EXPECT_TRUE(QDir(run.folder).entryList(QDir::Files).isEmpty());
    }
}

TEST(SnapshotTourTest, NoTestStoreRefusesTheTourAloneOrBesideAnotherFilewright)
{
    // Beside a Filewright on the same bus, the start is not handed over to
    // it; beside one on another bus, its store is not waited for.
    enum class Other { none, sameBus, otherBus };
    for (const Other other : {Other::none, Other::sameBus, Other::otherBus}) {
        SCOPED_TRACE(int(other));
        QTemporaryDir root;
        std::optional<RunningFilewright> running;
        if (other != Other::none) {
            running.emplace(root);
            ASSERT_TRUE(QTest::qWaitFor([&] { return running->isUp(); }, 30000));
        }
        QProcessEnvironment environment = tourEnvironment(root, std::nullopt, false, QStringLiteral("en"));
        const QString folder = root.filePath(QStringLiteral("shots"));
        TestSupport::ProcessRun run;
        if (other == Other::sameBus) {
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), running->busAddress());
            run = TestSupport::run(QStringLiteral(FILEWRIGHT_BINARY), {}, environment);
        } else {
            run = TestSupport::run(QStringLiteral("dbus-run-session"),
                                   {QStringLiteral("--"), QStringLiteral(FILEWRIGHT_BINARY)}, environment);
        }
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.lines, QStringList{QStringLiteral("SNAPSHOT refused: set APP_STORE to a file in /tmp")});
        EXPECT_FALSE(QFileInfo::exists(folder));
        if (running) {
            EXPECT_TRUE(running->isRunning());
        }
    }
}

TEST(SnapshotTourTest, AFailedCaptureIsNamedAndTheTourGoesOn)
{
    {
        // A folder stands where the first picture goes: its capture retries,
        // fails and is named; the pictures after it are taken all the same.
        QTemporaryDir root;
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("shots/journal-light.png")));
        const TourRun run = tour(root, QStringLiteral("journal,folders"));
        EXPECT_EQ(run.exitCode, 1) << run.lines.join(u'\n').toStdString();
        EXPECT_TRUE(run.lines.contains(QStringLiteral("SNAPSHOT failed: ") + run.folder + QStringLiteral("/journal-light.png")))
            << run.lines.join(u'\n').toStdString();
        for (const char *name : {"folders-light.png", "journal-dark.png", "folders-dark.png"})
            EXPECT_FALSE(QImage(run.folder + u'/' + QLatin1String(name)).isNull()) << name;
        EXPECT_EQ(run.lines.value(run.lines.size() - 1), QStringLiteral("SNAPSHOT done ") + run.folder);
    }
    {
        // An output folder under a plain file: every capture fails, the tour
        // still ends in order.
        QTemporaryDir root;
        ASSERT_TRUE(TestSupport::writeFile(root.filePath(QStringLiteral("shots")), "not a folder"));
        const TourRun run = tour(root, QStringLiteral("receipts"));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.lines, (QStringList{QStringLiteral("SNAPSHOT failed: ") + run.folder + QStringLiteral("/receipts-light.png"),
                                          QStringLiteral("SNAPSHOT failed: ") + run.folder + QStringLiteral("/receipts-dark.png"),
                                          QStringLiteral("SNAPSHOT done ") + run.folder}));
    }
}
