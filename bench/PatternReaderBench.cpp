// Pattern reading speed: the twenty sample documents (reported as documents
// per second on one core) and one long text of 20,000 characters.
#include "PatternReader.h"
#include "SampleDocuments.h"

#include <QStringList>
#include <benchmark/benchmark.h>

namespace {

QStringList sampleTexts()
{
    QStringList texts;
    for (const SampleDocuments::Sample &sample : SampleDocuments::all())
        texts.append(sample.lines.join(u'\n'));
    return texts;
}

// About 20,000 characters: the sample texts one after the other, as a long
// document of several pages would read.
QString longText()
{
    const QString all = sampleTexts().join(u'\n');
    QString text;
    while (text.size() < 20000)
        text += all + u'\n';
    text.truncate(20000);
    return text;
}

void ReadSampleDocuments(benchmark::State &state)
{
    const QStringList texts = sampleTexts();
    PatternReader::read(texts.first()); // build the tables and expressions
    for (auto _ : state) {
        for (const QString &text : texts)
            benchmark::DoNotOptimize(PatternReader::read(text));
    }
    state.SetItemsProcessed(state.iterations() * texts.size());
    state.counters["documents/s"] =
        benchmark::Counter(double(state.iterations() * texts.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(ReadSampleDocuments)->Unit(benchmark::kMicrosecond);

void ReadLongText(benchmark::State &state)
{
    const QString text = longText();
    PatternReader::read(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(PatternReader::read(text));
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
    state.counters["characters"] = double(text.size());
}
BENCHMARK(ReadLongText)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
