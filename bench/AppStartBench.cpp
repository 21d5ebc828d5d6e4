// Start-up of the application to its first window over a store of 100,000
// journal entries, and the resident memory once it is idle.
#include "BenchSupport.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "Store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

QString seededStore(const QString &folder)
{
    const QString path = folder + QStringLiteral("/bench.store");
    auto store = Store::open(path);
    store->batch([&] {
        for (int i = 0; i < 100000; ++i) {
            JournalEntry entry(std::nullopt, QStringLiteral("Rule"), QStringLiteral("/home/u/Downloads/f%1.pdf").arg(i),
                               QStringLiteral("/home/u/Documents/f%1.pdf").arg(i),
                               i % 500 == 0 ? JournalEntry::Status::review : JournalEntry::Status::done);
            entry.date = QDateTime::currentDateTimeUtc().addSecs(-i * 60);
            store->insert(entry);
        }
    });
    return path;
}

void BM_StartToFirstWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = seededStore(dir.path());
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        FilewrightApp app(Store::open(path));
        app.showMainWindow();
        if (!QTest::qWaitForWindowExposed(&app.mainWindow()))
            state.SkipWithError("window not shown");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents();
        state.counters["idle_rss_MB"] = double(BenchSupport::residentKilobytes()) / 1024.0;
    }
}
BENCHMARK(BM_StartToFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("APP_STORE", (home.path() + QStringLiteral("/unused.store")).toUtf8());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
