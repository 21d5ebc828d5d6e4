// The receipts page over a store of 100,000 recognition records (about 800
// per month over ten years, a tenth of them other kinds): stepping to the
// next month, and exporting a month of 200 receipts of 200 KB from the page
// until the archive is in place.
#include "BenchSupport.h"
#include "AppModel.h"
#include "Autopilot.h"
#include "MonthExport.h"
#include "ReceiptsModel.h"
#include "ReceiptsPage.h"
#include "Store.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int recordCount = 100'000;
constexpr int exportCount = 200;
constexpr qsizetype exportFileSize = 200 * 1024;

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
};

Recognition reading(DocumentKind kind, const QDate &day, int i)
{
    Recognition r;
    r.kind = kind;
    r.date = CalendarUtc::noon(day);
    r.sender = QStringLiteral("Sender %1 GmbH").arg(i % 300);
    r.amount = Decimal::fromParts(100 + i % 10000, 2);
    r.currency = i % 7 == 0 ? QStringLiteral("USD") : QStringLiteral("EUR");
    r.confidence = 0.9;
    r.readAt = QDateTime::currentDateTimeUtc();
    return r;
}

// 100,000 records from 2016 to 2025, and 200 receipts with real files in
// March 2026, the month the page opens on.
Fixture &fixture()
{
    static Fixture *made = [] {
        auto *f = new Fixture;
        f->model = std::make_unique<AppModel>(Store::open(f->dir.filePath(QStringLiteral("bench.store"))));
        Store &store = f->model->store();
        const QDate first(2016, 1, 1);
        store.batch([&] {
            for (int i = 0; i < recordCount - exportCount; ++i) {
                const DocumentKind kind = i % 10 == 0 ? DocumentKind::letter
                                                      : (i % 2 ? DocumentKind::invoice : DocumentKind::receipt);
                RecognitionRecord record(QString(), QStringLiteral("hash%1").arg(i),
                                         QStringLiteral("/nowhere/%1.pdf").arg(i),
                                         reading(kind, first.addDays(i % 3650), i));
                store.insert(record);
            }
        });
        QByteArray content(exportFileSize, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char &byte : content)
            byte = char(generator.bounded(256));
        QDir().mkpath(f->dir.filePath(QStringLiteral("files")));
        store.batch([&] {
            for (int i = 0; i < exportCount; ++i) {
                const QString path = f->dir.filePath(QStringLiteral("files/Rechnung %1.pdf").arg(i));
                content[0] = char(i);
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly) || file.write(content) != exportFileSize)
                    qFatal("could not write the receipt files");
                RecognitionRecord record(QString(), QStringLiteral("export%1").arg(i), path,
                                         reading(DocumentKind::invoice, QDate(2026, 3, 1 + i % 28), i));
                store.insert(record);
            }
        });
        f->model->autopilot().setClock([] { return QDateTime(QDate(2026, 3, 20), QTime(12, 0), Qt::UTC); });
        return f;
    }();
    return *made;
}

void BM_MonthSwitch(benchmark::State &state)
{
    ReceiptsPage page(*fixture().model);
    page.shift(-4); // November 2025
    int step = 1;
    for (auto _ : state) {
        page.shift(step);
        step = -step;
        benchmark::DoNotOptimize(page.sums());
    }
    state.counters["rows"] = double(page.tableModel()->rowCount());
}
BENCHMARK(BM_MonthSwitch)->Unit(benchmark::kMillisecond);

void BM_ExportFromPage(benchmark::State &state)
{
    ReceiptsPage page(*fixture().model);
    page.setReveal([](const QStringList &, const auto &) {});
    const QString destination = fixture().dir.filePath(QStringLiteral("out/belege.zip"));
    QDir().mkpath(QFileInfo(destination).absolutePath());
    page.setSavePanel([destination](const QString &) { return destination; });
    for (auto _ : state) {
        QSignalSpy finished(&page, &ReceiptsPage::exportFinished);
        QElapsedTimer timer;
        timer.start();
        page.exportMonth();
        if (!finished.wait(60000)) {
            state.SkipWithError("the export did not finish");
            return;
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
    state.counters["MB"] = double(QFileInfo(destination).size()) / 1e6;
}
BENCHMARK(BM_ExportFromPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    return BenchSupport::runWithApplication(argc, argv);
}
