// Archiving a month of receipts: 200 files of 200 KB each, from the page
// cache into an archive on disk (written, synced and renamed into place).
// Reports the input bytes per second and how far the process's peak memory
// grew over the exports, against the size of the input.
#include "Crc32.h"
#include "ReceiptExport.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

constexpr int fileCount = 200;
constexpr qsizetype fileSize = 200 * 1024;

long peakKilobytes()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

void BM_ExportMonth(benchmark::State &state)
{
    const QTemporaryDir dir;
    const QDir in(dir.filePath(QStringLiteral("in")));
    const QDir out(dir.filePath(QStringLiteral("out")));
    QDir(dir.path()).mkpath(QStringLiteral("in"));
    QDir(dir.path()).mkpath(QStringLiteral("out"));
    QList<ReceiptLine> lines;
    {
        QByteArray content = randomBytes(fileSize);
        for (int i = 0; i < fileCount; ++i) {
            content[0] = char(i); // no two files alike
            const QString path = in.filePath(QStringLiteral("Rechnung %1.pdf").arg(i % 50)); // names repeat
            const QString unique = in.filePath(QStringLiteral("%1/").arg(i)) + QFileInfo(path).fileName();
            in.mkpath(QString::number(i));
            QFile file(unique);
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != fileSize) {
                state.SkipWithError("could not write the input files");
                return;
            }
            ReceiptLine line;
            line.date = CalendarUtc::noon(QDate(2026, 10, 1 + i % 28));
            line.sender = QStringLiteral("Absender %1").arg(i);
            line.amount = Decimal::fromString(QStringLiteral("%1.99").arg(i));
            line.currency = QStringLiteral("EUR");
            line.kind = DocumentKind::invoice;
            line.file = unique;
            lines.append(line);
        }
    }

    const long before = peakKilobytes();
    for (auto _ : state) {
        const QString archive = ReceiptExport::write(lines, 2026, 10, out.path());
        state.PauseTiming();
        QFile::remove(archive);
        state.ResumeTiming();
    }
    const double input = double(fileCount) * double(fileSize);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input));
    state.counters["input_MB"] = input / 1e6;
    state.counters["peak_growth_MB"] = double(peakKilobytes() - before) * 1024 / 1e6;
    state.counters["peak_growth_per_input"] = double(peakKilobytes() - before) * 1024 / input;
}
// Bytes per second of CPU time (the work of one core) ...
BENCHMARK(BM_ExportMonth)->Unit(benchmark::kMillisecond);
// ... and of wall-clock time, which includes waiting for the disk to take the
// synced archive.
BENCHMARK(BM_ExportMonth)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Checksum(benchmark::State &state)
{
    const QByteArray data = randomBytes(fileSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(CRC32::checksum(data));
    state.SetBytesProcessed(int64_t(state.iterations()) * fileSize);
}
BENCHMARK(BM_Checksum);

} // namespace

BENCHMARK_MAIN();
