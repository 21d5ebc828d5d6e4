// Many files dropped into a watched folder at once while the main window
// shows the journal page: a rule on the name moves each file, the settle
// wait is at its shortest and notifications are off. Per count of files:
// the time from the drop to the last journal entry, the time per file, and
// the longest turn of the event loop until then (what the user feels of the
// window). Checks that every file was filed once and shown once.
#include "AppModel.h"
#include "Autopilot.h"
#include "BenchSupport.h"
#include "FilewrightApp.h"
#include "JournalModel.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "Prefs.h"
#include "RealHome.h"
#include "Store.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

double loadAverage()
{
    double load = 0;
    if (FILE *file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1)
            load = 0;
        std::fclose(file);
    }
    return load;
}

Rule movingRule()
{
    const Condition byName{QUuid::createUuid(), Condition::Field::name, Condition::Operator::endsWith,
                           QStringLiteral(".txt")};
    const RuleAction move{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Sorted")};
    return Rule{QUuid::createUuid(), QStringLiteral("Texts"), {byName}, {move}, true, std::nullopt};
}

void BM_BurstWithJournalOpen(benchmark::State &state)
{
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const QString home = RealHome::path();
        const QString inbox = home + QStringLiteral("/Inbox");
        const QString sorted = home + QStringLiteral("/Sorted");
        const QString staging = home + QStringLiteral("/Staging");
        for (const QString &folder : {inbox, sorted, staging}) {
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
        }
        QTemporaryDir storeDir;
        FilewrightApp app(Store::open(storeDir.filePath(QStringLiteral("bench.store"))));
        Store &store = app.model().store();
        Autopilot &autopilot = app.model().autopilot();
        const WatchedFolder folder = *autopilot.addFolder(inbox, true);
        autopilot.addFolder(sorted, false);
        StoredRule rule(movingRule(), folder.uuid, 1);
        store.insert(rule);
        app.model().setSidebar(SidebarItem::journal);
        app.showMainWindow();
        if (!QTest::qWaitForWindowExposed(&app.mainWindow())) {
            state.SkipWithError("window not shown");
            return;
        }
        auto *page = qobject_cast<JournalPage *>(app.mainWindow().currentPage());
        if (!page) {
            state.SkipWithError("the journal page is not shown");
            return;
        }
        autopilot.start();
        for (int i = 0; i < count; ++i) {
            QFile file(staging + QStringLiteral("/scan-%1.txt").arg(i, 5, 10, QLatin1Char('0')));
            if (!file.open(QIODevice::WriteOnly) || file.write("a scan\n") != 7) {
                state.SkipWithError("could not write the files");
                return;
            }
        }
        QApplication::processEvents();
        const double loadBefore = loadAverage();
        state.ResumeTiming();

        // The drop: every file moved in at once, as an unpacked archive or a
        // synced folder brings them.
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("/scan-%1.txt").arg(i, 5, 10, QLatin1Char('0'));
            QFile::rename(staging + name, inbox + name);
        }
        const double dropMs = double(clock.nsecsElapsed()) / 1e6;

        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        double longestMs = 0;
        double longestCpuMs = 0;
        int longTurns = 0;
        double lastEntryMs = 0;
        QElapsedTimer turn;
        const double patienceMs = 60000.0 + count * 20.0;
        bool filed = false;
        while (double(clock.nsecsElapsed()) / 1e6 < patienceMs) {
            turn.start();
            const double cpu = BenchSupport::threadCpuMs();
            const bool busy = dispatcher->processEvents(QEventLoop::AllEvents);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            const double turnMs = double(turn.nsecsElapsed()) / 1e6;
            if (busy) {
                longestMs = std::max(longestMs, turnMs);
                longestCpuMs = std::max(longestCpuMs, BenchSupport::threadCpuMs() - cpu);
                longTurns += turnMs > 16 ? 1 : 0;
            }
            if (page->journal().entryCount() >= count && store.count(Store::Model::journalEntry) >= count) {
                lastEntryMs = double(clock.nsecsElapsed()) / 1e6;
                filed = true;
                break;
            }
        }
        state.SetIterationTime(lastEntryMs / 1e3);
        const double loadAfter = loadAverage();
        state.PauseTiming();

        if (!filed) {
            state.SkipWithError("not every file was filed in time");
            return;
        }
        // Every file once: one entry each, done, and the file in its place.
        const QList<JournalEntry> entries = store.journal();
        QSet<QString> originals;
        int done = 0;
        for (const JournalEntry &entry : entries) {
            originals.insert(entry.originalPath);
            done += entry.status() == JournalEntry::Status::done ? 1 : 0;
        }
        const qsizetype inSorted = QDir(sorted).entryList(QDir::Files).size();
        const qsizetype leftInInbox = QDir(inbox).entryList(QDir::Files).size();
        if (entries.size() != count || originals.size() != count || done != count || inSorted != count
            || leftInInbox != 0)
            state.SkipWithError("a file was lost or filed twice");

        state.counters["drop_ms"] = dropMs;
        state.counters["to_last_entry_s"] = lastEntryMs / 1e3;
        state.counters["per_file_ms"] = lastEntryMs / count;
        state.counters["longest_turn_ms"] = longestMs;
        state.counters["longest_turn_cpu_ms"] = longestCpuMs;
        state.counters["turns_over_16ms"] = longTurns;
        state.counters["rows_shown"] = page->journal().entryCount();
        state.counters["load_before"] = loadBefore;
        state.counters["load_after"] = loadAfter;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BurstWithJournalOpen)
    ->Arg(2000)
    ->Arg(8000)
    ->Arg(20000)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    BenchSupport::useSeparateFolders(sandbox);
    QApplication app(argc, argv);
    Prefs::registerDefaults();
    Prefs::setValue(QString::fromUtf16(Prefs::minimumWaitKey), 0.2);
    Prefs::setValue(QString::fromUtf16(Prefs::notifyKey), false);
    Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
