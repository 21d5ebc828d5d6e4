// The journal page over 100,000 entries: the first rows after switching to
// the page, a switch of the filter, and scrolling from the top to the end
// with the page reading the journal as it goes (the slowest frame counts).
#include "BenchSupport.h"
#include "AppModel.h"
#include "JournalModel.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "Store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

constexpr int entryCount = 100000;

QString seededStore(const QString &folder)
{
    const QString path = folder + QStringLiteral("/bench.store");
    auto store = Store::open(path);
    Recognition read;
    read.kind = DocumentKind::invoice;
    read.sender = QStringLiteral("Example Energy GmbH");
    read.amount = Decimal::fromString(u"128.40");
    read.currency = QStringLiteral("EUR");
    read.confidence = 0.9;
    read.readAt = QDateTime::currentDateTimeUtc();
    const JournalEntry::Status statuses[] = {JournalEntry::Status::done, JournalEntry::Status::done,
                                             JournalEntry::Status::undone, JournalEntry::Status::failed,
                                             JournalEntry::Status::trashed};
    store->batch([&] {
        for (int i = 0; i < entryCount; ++i) {
            const JournalEntry::Status status = i % 500 == 0 ? JournalEntry::Status::review : statuses[i % 5];
            JournalEntry entry(std::nullopt, QStringLiteral("Invoices by sender"),
                               QStringLiteral("/home/u/Downloads/Scan %1.pdf").arg(i),
                               QStringLiteral("/home/u/Documents/Invoices/2026/Example Energy %1.pdf").arg(i), status);
            entry.date = QDateTime::currentDateTimeUtc().addSecs(-i * 97);
            if (i % 3 == 0)
                entry.setRecognition(read);
            if (status == JournalEntry::Status::failed)
                entry.message = QStringLiteral("No access to ~/Documents/Invoices. Add the folder under Folders > Places.");
            store->insert(entry);
        }
    });
    return path;
}

struct Fixture
{
    explicit Fixture(const QString &path)
        : model(Store::open(path))
        , window(model)
    {
        model.setSidebar(SidebarItem::rules);
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }
    JournalPage &page() { return *qobject_cast<JournalPage *>(window.currentPage()); }
    AppModel model;
    MainWindow window;
};

QString &storePath()
{
    static QTemporaryDir dir;
    static QString path = seededStore(dir.path());
    return path;
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void BM_FirstRowsAfterSwitchingToThePage(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fixture(storePath());
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        // The window makes the page afresh when it is chosen, then draws it.
        fixture.model.setSidebar(SidebarItem::journal);
        fixture.window.repaint();
        state.SetIterationTime(elapsedMs(timer) / 1e3);
        state.counters["rows"] = fixture.page().journal().rowCount();
    }
}
BENCHMARK(BM_FirstRowsAfterSwitchingToThePage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FilterSwitch(benchmark::State &state)
{
    Fixture fixture(storePath());
    fixture.model.setSidebar(SidebarItem::journal);
    fixture.window.repaint();
    bool review = false;
    for (auto _ : state) {
        review = !review;
        QElapsedTimer timer;
        timer.start();
        fixture.model.setJournalFilter(review ? AppModel::JournalFilter::review : AppModel::JournalFilter::all);
        fixture.window.repaint();
        state.SetIterationTime(elapsedMs(timer) / 1e3);
    }
}
BENCHMARK(BM_FilterSwitch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ScrollTopToBottom(benchmark::State &state)
{
    for (auto _ : state) {
        Fixture fixture(storePath());
        fixture.model.setSidebar(SidebarItem::journal);
        fixture.window.repaint();
        QTableView *list = fixture.page().list();
        QScrollBar *bar = list->verticalScrollBar();
        double slowest = 0;
        double slowestReading = 0;
        int frames = 0;
        int over = 0;
        QElapsedTimer total;
        total.start();
        // One screenful per frame: each frame scrolls, lets the page read
        // on, and draws the list.
        while (bar->value() < bar->maximum() || fixture.page().journal().canFetchMore({})) {
            const int before = fixture.page().journal().entryCount();
            QElapsedTimer frame;
            frame.start();
            bar->setValue(std::min(bar->maximum(), bar->value() + bar->pageStep()));
            QCoreApplication::processEvents();
            list->viewport()->repaint();
            const double took = elapsedMs(frame);
            // Frames that read a page of the journal, and the others.
            if (fixture.page().journal().entryCount() != before)
                slowestReading = std::max(slowestReading, took);
            else
                slowest = std::max(slowest, took);
            over += took > 16.0 ? 1 : 0;
            ++frames;
        }
        state.SetIterationTime(double(total.nsecsElapsed()) / 1e9);
        state.counters["slowest_frame_ms"] = slowest;
        state.counters["slowest_reading_frame_ms"] = slowestReading;
        state.counters["frames_over_16ms"] = over;
        state.counters["frames"] = frames;
        state.counters["entries"] = fixture.page().journal().entryCount();
    }
}
BENCHMARK(BM_ScrollTopToBottom)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return BenchSupport::runWithApplication(argc, argv);
}
