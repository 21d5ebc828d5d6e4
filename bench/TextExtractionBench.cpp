// Reading files in-process against the command-line tools on the same files,
// and the peak memory of recognising all twenty samples.
//
// Run: build/bench/bench_TextExtractionBench
#include "Recognizer.h"
#include "SampleDocumentFiles.h"
#include "TextExtractor.h"
#include "TextRecognizer.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-page-renderer.h>
#include <poppler/cpp/poppler-page.h>

#include <sys/resource.h>

#include <cstdlib>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

// The samples, written once for all benchmarks.
struct Samples
{
    QTemporaryDir dir;
    QStringList paths;
    QString textPdf;  // sample 1, a PDF with a text layer
    QString scanPage; // sample 7's page rendered at 144 dpi, as PNG

    Samples()
    {
        paths = SampleDocuments::write(dir.path(), SampleDocuments::all());
        textPdf = paths.at(0);
        const std::unique_ptr<poppler::document> document(
            poppler::document::load_from_file(QFile::encodeName(paths.at(6)).toStdString()));
        const std::unique_ptr<poppler::page> page(document->create_page(0));
        poppler::page_renderer renderer;
        renderer.set_image_format(poppler::image::format_gray8);
        const poppler::image image = renderer.render_page(page.get(), 144, 144);
        scanPage = dir.filePath(QStringLiteral("scan-page.png"));
        QImage(reinterpret_cast<const uchar *>(image.const_data()), image.width(), image.height(), image.bytes_per_row(),
               QImage::Format_Grayscale8)
            .save(scanPage);
    }
};

Samples &samples()
{
    static Samples instance;
    return instance;
}

void runCommand(benchmark::State &state, const QString &program, const QStringList &arguments)
{
    for (auto _ : state) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(-1);
        const QByteArray out = process.readAllStandardOutput();
        if (process.exitCode() != 0 || out.isEmpty())
            state.SkipWithError("the command failed");
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_PdfText_InProcess(benchmark::State &state)
{
    const QString path = samples().textPdf;
    for (auto _ : state) {
        const TextExtractor::Output out = TextExtractor::text(path);
        benchmark::DoNotOptimize(out.text.data());
    }
}
BENCHMARK(BM_PdfText_InProcess)->Unit(benchmark::kMillisecond);

void BM_PdfText_PdftotextCommand(benchmark::State &state)
{
    runCommand(state, QStringLiteral("pdftotext"), {QStringLiteral("-layout"), samples().textPdf, QStringLiteral("-")});
}
BENCHMARK(BM_PdfText_PdftotextCommand)->Unit(benchmark::kMillisecond);

void BM_RealInvoice_InProcess(benchmark::State &state)
{
    const QString path = QStringLiteral(FILEWRIGHT_TEST_DATA "/invoices/correction-invoice.pdf");
    for (auto _ : state)
        benchmark::DoNotOptimize(TextExtractor::text(path).text.data());
}
BENCHMARK(BM_RealInvoice_InProcess)->Unit(benchmark::kMillisecond);

void BM_RealInvoice_PdftotextCommand(benchmark::State &state)
{
    // The same three pages the extractor reads.
    runCommand(state, QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), QStringLiteral("-l"), QStringLiteral("3"),
                QStringLiteral(FILEWRIGHT_TEST_DATA "/invoices/correction-invoice.pdf"), QStringLiteral("-")});
}
BENCHMARK(BM_RealInvoice_PdftotextCommand)->Unit(benchmark::kMillisecond);

// The first page a thread recognises pays for loading the engine.
void BM_Ocr_FirstPageOfAThread(benchmark::State &state)
{
    const QImage page(samples().scanPage);
    for (auto _ : state) {
        std::thread worker([&] { benchmark::DoNotOptimize(TextRecognizer::recognize(page, 144).data()); });
        worker.join();
    }
}
BENCHMARK(BM_Ocr_FirstPageOfAThread)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the second page on the engine is already loaded.
void BM_Ocr_LaterPages(benchmark::State &state)
{
    const QImage page(samples().scanPage);
    TextRecognizer::recognize(page, 144);
    for (auto _ : state)
        benchmark::DoNotOptimize(TextRecognizer::recognize(page, 144).data());
}
BENCHMARK(BM_Ocr_LaterPages)->Unit(benchmark::kMillisecond);

void BM_Ocr_TesseractCommand(benchmark::State &state)
{
    runCommand(state, QStringLiteral("tesseract"),
               {samples().scanPage, QStringLiteral("-"), QStringLiteral("-l"), QStringLiteral("deu+eng")});
}
BENCHMARK(BM_Ocr_TesseractCommand)->Unit(benchmark::kMillisecond);

void BM_RecognizeAllTwentySamples(benchmark::State &state)
{
    for (auto _ : state)
        for (const QString &path : samples().paths)
            benchmark::DoNotOptimize(Recognizer::recognize(path, false).confidence);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0; // ru_maxrss is in kilobytes
}
BENCHMARK(BM_RecognizeAllTwentySamples)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    // OpenMP inside tesseract takes its thread limit from the environment at
    // load time; the command gets the same limit, so both run single-threaded.
    if (!std::getenv("OMP_THREAD_LIMIT")) {
        ::setenv("OMP_THREAD_LIMIT", "1", 1);
        ::execv("/proc/self/exe", argv);
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
