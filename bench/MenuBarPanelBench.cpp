// The tray panel popping up over a store of 100,000 journal entries: from the
// click to the panel on screen with its rows.
#include "AppModel.h"
#include "BenchSupport.h"
#include "MenuBarPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

void BM_PanelFromTrayClick(benchmark::State &state)
{
    QTemporaryDir dir;
    AppModel model(Store::open(BenchSupport::journalStore(dir.path())));
    MenuBarPanel panel(model, [] { });
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        panel.popUp(QPoint(400, 30));
        if (!QTest::qWaitForWindowExposed(&panel))
            state.SkipWithError("panel not shown");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        panel.hide();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_PanelFromTrayClick)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    return BenchSupport::runWithApplication(argc, argv);
}
