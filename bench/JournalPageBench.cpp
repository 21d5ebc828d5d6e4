// The journal page over 100,000 entries: the first rows after switching to
// the page, a switch of the filter, scrolling from the top to the end with
// the page reading the journal as it goes (with every entry's file gone, and
// with every one an existing file, whose icon the page asks the disk about),
// and resizing the window once every row has been read (the slowest frame
// counts); and the longest turn of the event loop while a 400 MB file is
// filed from the review sheet onto another file system.
#include "BenchSupport.h"
#include "AppModel.h"
#include "Autopilot.h"
#include "JournalModel.h"
#include "JournalPage.h"
#include "MainWindow.h"
#include "ReviewSheet.h"
#include "Store.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <time.h>

namespace {

constexpr int entryCount = 100000;

// A store of entryCount entries whose files lie below root: gone unless
// made is true, then each entry's found and filed file exists (empty).
QString seededStore(const QString &folder, const QString &root = QStringLiteral("/home/u"), bool made = false)
{
    const QString path = folder + QStringLiteral("/bench.store");
    const QString found = root + QStringLiteral("/Downloads");
    const QString filed = root + QStringLiteral("/Documents/Invoices/2026");
    if (made) {
        QDir().mkpath(found);
        QDir().mkpath(filed);
    }
    const auto place = [made](const QString &file) {
        if (made) {
            QFile empty(file);
            if (!empty.open(QIODevice::WriteOnly))
                qFatal("cannot make %s", qPrintable(file));
        }
        return file;
    };
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
                               place(found + QStringLiteral("/Scan %1.pdf").arg(i)),
                               place(filed + QStringLiteral("/Example Energy %1.pdf").arg(i)), status);
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

// The same journal with every entry's files there.
QString &storeOfExistingFiles()
{
    static QTemporaryDir dir;
    static QString path = seededStore(dir.path(), dir.filePath(QStringLiteral("home")), true);
    return path;
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The main thread's own time on a processor, in milliseconds: a frame's
// work without the time other processes of a busy machine took from it.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
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

void BM_ScrollTopToBottom(benchmark::State &state, bool filesExist)
{
    const QString &store = filesExist ? storeOfExistingFiles() : storePath();
    for (auto _ : state) {
        Fixture fixture(store);
        fixture.model.setSidebar(SidebarItem::journal);
        fixture.window.repaint();
        QTableView *list = fixture.page().list();
        QScrollBar *bar = list->verticalScrollBar();
        double slowest = 0;
        double slowestReading = 0;
        double slowestCpu = 0;
        int frames = 0;
        int over = 0;
        QElapsedTimer total;
        total.start();
        // One screenful per frame: each frame scrolls, lets the page read
        // on, and draws the list (the window draws what changed when the
        // event loop turns).
        while (bar->value() < bar->maximum() || fixture.page().journal().canFetchMore({})) {
            const int before = fixture.page().journal().entryCount();
            QElapsedTimer frame;
            frame.start();
            const double cpu = threadCpuMs();
            bar->setValue(std::min(bar->maximum(), bar->value() + bar->pageStep()));
            QCoreApplication::processEvents();
            const double took = elapsedMs(frame);
            slowestCpu = std::max(slowestCpu, threadCpuMs() - cpu);
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
        state.counters["slowest_frame_cpu_ms"] = slowestCpu;
        state.counters["frames_over_16ms"] = over;
        state.counters["frames"] = frames;
        state.counters["entries"] = fixture.page().journal().entryCount();
    }
}
BENCHMARK_CAPTURE(BM_ScrollTopToBottom, filesGone, false)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_ScrollTopToBottom, filesThere, true)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ResizeAfterEveryRowRead(benchmark::State &state)
{
    Fixture fixture(storePath());
    fixture.model.setSidebar(SidebarItem::journal);
    fixture.window.resize(1100, 760);
    fixture.window.repaint();
    JournalModel &journal = fixture.page().journal();
    while (journal.canFetchMore({}))
        journal.fetchMore({});
    QCoreApplication::processEvents();
    // Narrow enough that journal lines wrap, and wide again.
    const int widths[] = {700, 1300, 640, 1000, 820};
    double slowest = 0;
    double slowestCpu = 0;
    for (auto _ : state) {
        for (const int width : widths) {
            QElapsedTimer timer;
            timer.start();
            const double cpu = threadCpuMs();
            fixture.window.resize(width, 760);
            // The window draws itself anew when the event loop turns.
            QCoreApplication::processEvents();
            slowest = std::max(slowest, elapsedMs(timer));
            slowestCpu = std::max(slowestCpu, threadCpuMs() - cpu);
        }
        state.SetIterationTime(slowest / 1e3);
    }
    state.counters["slowest_resize_ms"] = slowest;
    state.counters["slowest_resize_cpu_ms"] = slowestCpu;
    state.counters["entries"] = journal.entryCount();
}
BENCHMARK(BM_ResizeAfterEveryRowRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The longest turn of the main thread's event loop while work goes on.
class LongestTurn
{
public:
    LongestTurn()
    {
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        m_awake = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] { m_turn.start(); });
        m_block = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [this] {
            if (m_turn.isValid())
                m_longest = std::max(m_longest, elapsedMs(m_turn));
            m_turn.invalidate();
        });
    }
    ~LongestTurn()
    {
        QObject::disconnect(m_awake);
        QObject::disconnect(m_block);
    }
    void include(double ms) { m_longest = std::max(m_longest, ms); }
    double longest() const { return m_longest; }

private:
    QElapsedTimer m_turn;
    double m_longest = 0;
    QMetaObject::Connection m_awake;
    QMetaObject::Connection m_block;
};

void BM_ApproveOf400MBAcrossFileSystems(benchmark::State &state)
{
    struct stat shm{}, home{};
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/journal-bench-XXXXXX"));
    if (!elsewhere.isValid() || ::stat("/dev/shm", &shm) != 0
        || ::stat(QFile::encodeName(QDir::homePath()).constData(), &home) != 0 || shm.st_dev == home.st_dev) {
        state.SkipWithError("no tmpfs at /dev/shm on another file system than the home folder");
        return;
    }
    QTemporaryDir storeDir;
    AppModel model(Store::open(storeDir.filePath(QStringLiteral("approve.store"))));
    const QString sorted = QDir::homePath() + QStringLiteral("/Sorted");
    QDir().mkpath(sorted);
    model.autopilot().addFolder(sorted, false);
    model.setSidebar(SidebarItem::journal);
    MainWindow window(model);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    auto *page = qobject_cast<JournalPage *>(window.currentPage());

    const QByteArray block(1 << 20, 'x');
    int round = 0;
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString found = elsewhere.filePath(QStringLiteral("scan %1.pdf").arg(round));
        const QString filed = sorted + QStringLiteral("/scan %1.pdf").arg(round++);
        {
            QFile file(found);
            if (!file.open(QIODevice::WriteOnly))
                return state.SkipWithError("cannot write to /dev/shm");
            for (int i = 0; i < 400; ++i)
                file.write(block);
        }
        Plan plan;
        plan.ruleID = QUuid::createUuid();
        plan.original = found;
        plan.destination = filed;
        JournalEntry entry(std::nullopt, QStringLiteral("Invoices"), found, filed, JournalEntry::Status::review);
        entry.setPlan(plan);
        model.store().insert(entry);
        page->review(entry.id);
        QCoreApplication::processEvents();
        state.ResumeTiming();

        QElapsedTimer total;
        total.start();
        LongestTurn turns;
        // The click on File It is a turn of its own.
        QElapsedTimer click;
        click.start();
        page->reviewSheet()->fileButton()->click();
        turns.include(elapsedMs(click));
        while (model.autopilot().isDeciding(entry.id))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        state.SetIterationTime(double(total.nsecsElapsed()) / 1e9);
        longest = std::max(longest, turns.longest());
        if (const JournalEntry after = *model.store().journalEntry(entry.id); after.status() != JournalEntry::Status::done)
        {
            const std::string why = "the file was not filed: " + after.statusRaw.toStdString() + " " + after.message.toStdString();
            return state.SkipWithError(why.c_str());
        }
        QFile::remove(filed);
    }
    state.counters["longest_turn_ms"] = longest;
}
BENCHMARK(BM_ApproveOf400MBAcrossFileSystems)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    return BenchSupport::runWithApplication(argc, argv);
}
