// The main window over a store of 100,000 journal entries: from start to the
// journal page on screen with its first rows, and the resident memory then.
#include "AppModel.h"
#include "BenchSupport.h"
#include "FilewrightApp.h"
#include "MainWindow.h"
#include "Store.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

// The rows the page's list shows; 0 while the page has no list.
int shownRows(const QWidget *page)
{
    for (const QAbstractItemView *view : page->findChildren<QAbstractItemView *>()) {
        if (view->isVisible() && view->model() && view->model()->rowCount() > 0)
            return view->model()->rowCount();
    }
    return 0;
}

void BM_StartToJournalWithRows(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = BenchSupport::journalStore(dir.path());
    int rows = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        FilewrightApp app(Store::open(path));
        app.model().setSidebar(SidebarItem::journal);
        app.showMainWindow();
        if (!QTest::qWaitForWindowExposed(&app.mainWindow()))
            state.SkipWithError("window not shown");
        // The first rows are on screen once the list has them and has painted
        // (a page without a list has nothing more to wait for).
        if (!app.mainWindow().currentPage()->findChildren<QAbstractItemView *>().isEmpty() &&
            !QTest::qWaitFor([&] { return shownRows(app.mainWindow().currentPage()) > 0; }, 2000))
            state.SkipWithError("no rows shown");
        QApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        rows = shownRows(app.mainWindow().currentPage());
        state.counters["rss_MB"] = double(BenchSupport::residentKilobytes()) / 1024.0;
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_StartToJournalWithRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    return BenchSupport::runWithApplication(argc, argv);
}
