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

void BM_StartToFirstWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = BenchSupport::journalStore(dir.path());
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
    return BenchSupport::runWithApplication(argc, argv);
}
