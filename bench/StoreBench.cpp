// The store under a long journal and a large recognition cache: writing
// journal entries in batches and one by one, the newest page of the journal,
// the review list, the records an undo looks up for the folders filings
// made, and one month's receipts.
#include "Store.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int entryCount = 100000;
// One entry in a hundred waits for review.
constexpr int reviewEvery = 100;
// One filing in five hundred made a folder: a month's, a sender's, over years.
constexpr int madeFolderEvery = 500;

const QDateTime origin(QDate(2016, 1, 1), QTime(12, 0), Qt::UTC);

Recognition sampleRecognition(int i)
{
    Recognition recognition;
    recognition.kind = DocumentKinds::allCases[size_t(i) % DocumentKinds::allCases.size()];
    recognition.sender = QStringLiteral("Sender %1 GmbH").arg(i % 500);
    // Documents spread over ten years.
    recognition.date = CalendarUtc::noon(origin.date().addDays(i % 3650));
    recognition.amount = Decimal::fromString(QStringLiteral("%1.%2").arg(i % 1000).arg(i % 100, 2, 10, QLatin1Char('0')));
    recognition.currency = QStringLiteral("EUR");
    recognition.title = QStringLiteral("Document %1").arg(i);
    recognition.confidence = 0.8;
    recognition.readAt = origin.addSecs(i);
    recognition.notes = {QStringLiteral("total found")};
    return recognition;
}

JournalEntry sampleEntry(int i)
{
    JournalEntry entry(QUuid::createUuid(), QStringLiteral("Invoices"),
                       QStringLiteral("/home/anna/Downloads/scan-%1.pdf").arg(i),
                       QStringLiteral("/home/anna/Documents/Invoices/2024/2024-05-%1 Sender.pdf").arg(i),
                       i % reviewEvery == 0 ? JournalEntry::Status::review : JournalEntry::Status::done);
    entry.date = origin.addSecs(qint64(i) * 60);
    entry.setRecognition(sampleRecognition(i));
    QByteArray performed(R"({"original":"file:///home/anna/Downloads/scan.pdf","destination":)"
                         R"("file:///home/anna/Documents/Invoices/2024/scan.pdf","copies":[],"addedTags":[])");
    if (i % madeFolderEvery == 0)
        performed += R"(,"createdFolders":["file:///home/anna/Documents/Invoices/2024"],)"
                     R"("madeFolders":[{"path":"file:///home/anna/Documents/Invoices/2024",)"
                     R"("device":"2049","inode":"1310721"}])";
    entry.performedData = performed + '}';
    entry.fileID = quint64(i) * 7919;
    return entry;
}

std::unique_ptr<Store> freshStore(QTemporaryDir &dir)
{
    return Store::open(dir.filePath(QStringLiteral("bench.store")));
}

void BM_InsertJournalInBatches(benchmark::State &state)
{
    const int batchSize = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        auto store = freshStore(dir);
        std::vector<JournalEntry> entries;
        entries.reserve(entryCount);
        for (int i = 0; i < entryCount; ++i)
            entries.push_back(sampleEntry(i));
        state.ResumeTiming();
        for (int start = 0; start < entryCount; start += batchSize) {
            store->batch([&] {
                for (int i = start; i < std::min(start + batchSize, entryCount); ++i)
                    store->insert(entries[size_t(i)]);
            });
        }
    }
    state.SetItemsProcessed(state.iterations() * entryCount);
}
BENCHMARK(BM_InsertJournalInBatches)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_InsertJournalOneByOne(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        auto store = freshStore(dir);
        std::vector<JournalEntry> entries;
        entries.reserve(entryCount);
        for (int i = 0; i < entryCount; ++i)
            entries.push_back(sampleEntry(i));
        state.ResumeTiming();
        for (JournalEntry &entry : entries)
            store->insert(entry);
    }
    state.SetItemsProcessed(state.iterations() * entryCount);
}
BENCHMARK(BM_InsertJournalOneByOne)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// One store with 100,000 journal entries and 100,000 recognition records,
// filled once for the fetches below.
Store &filledStore()
{
    static QTemporaryDir dir;
    static std::unique_ptr<Store> store = [] {
        auto made = freshStore(dir);
        made->batch([&] {
            for (int i = 0; i < entryCount; ++i) {
                JournalEntry entry = sampleEntry(i);
                made->insert(entry);
                RecognitionRecord record(QString::number(i), QStringLiteral("hash-%1").arg(i),
                                         QStringLiteral("/home/anna/Downloads/scan-%1.pdf").arg(i),
                                         sampleRecognition(i));
                made->insert(record);
            }
        });
        return made;
    }();
    return *store;
}

void BM_FetchNewest200(benchmark::State &state)
{
    Store &store = filledStore();
    for (auto _ : state) {
        auto page = store.journal(200);
        benchmark::DoNotOptimize(page);
        if (page.size() != 200)
            state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_FetchNewest200)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FetchReviewEntries(benchmark::State &state)
{
    Store &store = filledStore();
    for (auto _ : state) {
        auto review = store.journal(JournalEntry::Status::review);
        benchmark::DoNotOptimize(review);
        if (review.size() != entryCount / reviewEvery)
            state.SkipWithError("wrong count");
    }
    state.counters["entries"] = entryCount / reviewEvery;
}
BENCHMARK(BM_FetchReviewEntries)->Unit(benchmark::kMillisecond)->UseRealTime();

// What an undo looks up before it tidies: every record that made folders.
void BM_EntriesThatMadeFolders(benchmark::State &state)
{
    Store &store = filledStore();
    for (auto _ : state) {
        auto made = store.journalWithMadeFolders();
        benchmark::DoNotOptimize(made);
        if (made.size() != entryCount / madeFolderEvery)
            state.SkipWithError("wrong count");
    }
    state.counters["entries"] = entryCount / madeFolderEvery;
}
BENCHMARK(BM_EntriesThatMadeFolders)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReceiptsOfOneMonth(benchmark::State &state)
{
    Store &store = filledStore();
    qsizetype found = 0;
    for (auto _ : state) {
        auto receipts = store.receipts(2020, 3);
        found = receipts.size();
        benchmark::DoNotOptimize(receipts);
    }
    state.counters["receipts"] = double(found);
}
BENCHMARK(BM_ReceiptsOfOneMonth)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
