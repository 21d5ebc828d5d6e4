// What the hang watchdog costs while nothing hangs: the processor time of an
// idle event loop with the watchdog beating and watching, against the same
// loop without it. Target: under 0.1 % of one core.
#include "HangWatchdog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

namespace {

double processSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Idles the event loop for ten seconds; reports the processor time used as
// a share of one core.
void idle(benchmark::State &state, bool watching)
{
    for (auto _ : state) {
        std::unique_ptr<HangWatchdog> watchdog;
        if (watching)
            watchdog = std::make_unique<HangWatchdog>(QStringLiteral("bench"));
        const double cpuBefore = processSeconds();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(10000, QCoreApplication::instance(), &QCoreApplication::quit);
        QCoreApplication::exec();
        const double cpu = processSeconds() - cpuBefore;
        const double seconds = double(wall.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / seconds;
    }
}

void BM_IdleLoop(benchmark::State &state)
{
    idle(state, false);
}
BENCHMARK(BM_IdleLoop)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void BM_IdleLoopWithWatchdog(benchmark::State &state)
{
    idle(state, true);
}
BENCHMARK(BM_IdleLoopWithWatchdog)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
