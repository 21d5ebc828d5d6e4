// A dry run of one rule by kind over the 50 newest files of a folder of text
// PDFs: cold (every file read) and with the recognition cache warm.
// Targets: under 5 s cold, under 100 ms warm.
//
// Run: build/bench/bench_DryRunBench
#include "Autopilot.h"
#include "Prefs.h"
#include "SampleDocumentFiles.h"
#include "SampleDocuments.h"
#include "Store.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

constexpr int fileCount = 60;

struct Setup
{
    QTemporaryDir dir;
    std::unique_ptr<Store> store;
    std::unique_ptr<Autopilot> autopilot;
    WatchedFolder folder;
    Rule rule;

    Setup()
    {
        // Text PDFs of the samples that have a text layer, each made
        // distinct so that every file is a content of its own.
        QList<SampleDocuments::Sample> texts;
        for (const SampleDocuments::Sample &sample : SampleDocuments::all()) {
            if (sample.style == SampleDocuments::Style::text)
                texts.append(sample);
        }
        const QString inbox = dir.filePath(QStringLiteral("Inbox"));
        QDir().mkpath(inbox);
        for (int i = 0; i < fileCount; ++i) {
            const SampleDocuments::Sample &sample = texts.at(i % texts.size());
            QStringList lines = sample.lines;
            lines.append(QStringLiteral("Reference %1").arg(i, 4, 10, QLatin1Char('0')));
            SampleDocuments::textPDF(lines, inbox + QStringLiteral("/doc-%1.pdf").arg(i, 3, 10, QLatin1Char('0')));
        }
        Prefs::registerDefaults();
        Prefs::setValue(QString::fromUtf16(Prefs::useModelKey), false);
        store = Store::open(dir.filePath(QStringLiteral("bench.store")));
        autopilot = std::make_unique<Autopilot>(*store);
        folder = *autopilot->addFolder(inbox, true);
        rule = Rule{QUuid::createUuid(),
                    QStringLiteral("Invoices"),
                    {Condition{QUuid::createUuid(), Condition::Field::kind, Condition::Operator::is,
                               QStringLiteral("invoice")}},
                    {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Belege/{jahr}")},
                     RuleAction{QUuid::createUuid(), RuleAction::Kind::rename, QStringLiteral("{datum} {absender}")}},
                    true,
                    std::nullopt};
    }

    // One whole dry run; returns the number of rows that got a plan.
    int run()
    {
        QList<Autopilot::DryRunRow> last;
        std::unique_ptr<DryRun> dryRun =
            autopilot->dryRun(rule, folder, [&last](const QList<Autopilot::DryRunRow> &rows) { last = rows; });
        if (!dryRun->isFinished()) {
            QEventLoop loop;
            QObject::connect(dryRun.get(), &DryRun::finished, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return int(std::count_if(last.begin(), last.end(), [](const Autopilot::DryRunRow &row) { return row.plan; }));
    }

    void forget()
    {
        for (const RecognitionRecord &record : store->recognitionRecords())
            store->remove(record);
    }
};

Setup &setup()
{
    static Setup instance;
    return instance;
}

void BM_DryRun_Cold(benchmark::State &state)
{
    Setup &s = setup();
    int planned = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.forget();
        state.ResumeTiming();
        planned = s.run();
    }
    state.counters["planned"] = planned;
    state.counters["cached"] = double(s.store->count(Store::Model::recognitionRecord));
}
BENCHMARK(BM_DryRun_Cold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_DryRun_Warm(benchmark::State &state)
{
    Setup &s = setup();
    s.run();
    int planned = 0;
    for (auto _ : state)
        planned = s.run();
    state.counters["planned"] = planned;
}
BENCHMARK(BM_DryRun_Warm)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    // OpenMP inside tesseract reads its thread limit when the library loads.
    if (!std::getenv("OMP_THREAD_LIMIT")) {
        ::setenv("OMP_THREAD_LIMIT", "1", 1);
        ::execv("/proc/self/exe", argv);
    }
    QTemporaryDir sandbox;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "APP_HOME"}) {
        const QString path = sandbox.path() + QLatin1Char('/') + QLatin1String(name);
        QDir().mkpath(path);
        qputenv(name, path.toUtf8());
    }
    qputenv("APP_STORE", (sandbox.path() + QStringLiteral("/unused.store")).toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
