// The rules page and the command palette over a store of 500 rules and 100
// folders: going to the rules page in the main window, the first time and
// again later (the longest turn of the event loop until the window is idle),
// and one keystroke in the palette's search (matching, the list and its
// paint).
#include "AppModel.h"
#include "Autopilot.h"
#include "BenchSupport.h"
#include "CommandPalette.h"
#include "MainWindow.h"
#include "RuleCard.h"
#include "RulesPage.h"
#include "Store.h"

#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int ruleCount = 500;
constexpr int folderCount = 100;

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
};

Fixture &fixture()
{
    static Fixture *made = [] {
        auto *f = new Fixture;
        f->model = std::make_unique<AppModel>(Store::open(f->dir.filePath(QStringLiteral("bench.store"))));
        Store &store = f->model->store();
        QList<QUuid> folders;
        for (int i = 0; i < folderCount; ++i) {
            const QString path = f->dir.filePath(QStringLiteral("home/Folder %1").arg(i));
            QDir().mkpath(path);
            folders.append(f->model->autopilot().addFolder(path, i % 10 != 0)->uuid);
        }
        store.batch([&] {
            for (int i = 0; i < ruleCount; ++i) {
                Rule rule;
                rule.id = QUuid::createUuid();
                rule.name = QStringLiteral("Rule %1 for invoices").arg(i);
                rule.isEnabled = i % 3 != 0;
                rule.conditions = {
                    {QUuid::createUuid(), i % 2 ? Condition::Field::kind : Condition::Field::name,
                     Condition::Operator::is, i % 2 ? QStringLiteral("invoice") : QStringLiteral("scan")},
                    {QUuid::createUuid(), Condition::Field::fileType, Condition::Operator::is, QStringLiteral("pdf")}};
                rule.actions = {{QUuid::createUuid(), RuleAction::Kind::move,
                                 QStringLiteral("~/Documents/Sender %1/{jahr}").arg(i)},
                                {QUuid::createUuid(), RuleAction::Kind::tag, QStringLiteral("Tax")}};
                StoredRule stored(rule, i % 7 ? std::optional(folders.at(i % folderCount)) : std::nullopt, i);
                store.insert(stored);
            }
        });
        return f;
    }();
    return *made;
}

// A main window at its default size, showing another page.
std::unique_ptr<MainWindow> windowOnTheJournal()
{
    AppModel &model = *fixture().model;
    model.setSidebar(SidebarItem::journal);
    auto window = std::make_unique<MainWindow>(model);
    window->show();
    (void)QTest::qWaitForWindowExposed(window.get());
    BenchSupport::turnsUntilIdle([] {});
    return window;
}

// Each visit's time until idle, and the longest turn of all visits.
struct Report
{
    benchmark::State &state;
    double longestMs = 0;
    double longestCpuMs = 0;

    void visit(const BenchSupport::Turns &turns, const MainWindow &window)
    {
        state.SetIterationTime(turns.untilIdleMs / 1e3);
        longestMs = std::max(longestMs, turns.longestMs);
        longestCpuMs = std::max(longestCpuMs, turns.longestCpuMs);
        state.counters["longest_turn_ms"] = longestMs;
        state.counters["longest_turn_cpu_ms"] = longestCpuMs;
        state.counters["turns"] = turns.count;
        if (const auto *page = qobject_cast<const RulesPage *>(window.currentPage()))
            state.counters["cards"] = double(page->cards().size());
    }
};

// The user picks the rules page for the first time since the window opened.
void BM_RulesPageFirstVisit(benchmark::State &state)
{
    AppModel &model = *fixture().model;
    Report report{state};
    for (auto _ : state) {
        const std::unique_ptr<MainWindow> window = windowOnTheJournal();
        report.visit(BenchSupport::turnsUntilIdle([&] { model.setSidebar(SidebarItem::rules); }), *window);
    }
}
BENCHMARK(BM_RulesPageFirstVisit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Back to the rules page after a visit to the journal.
void BM_RulesPageLaterVisit(benchmark::State &state)
{
    AppModel &model = *fixture().model;
    const std::unique_ptr<MainWindow> window = windowOnTheJournal();
    BenchSupport::turnsUntilIdle([&] { model.setSidebar(SidebarItem::rules); });
    Report report{state};
    for (auto _ : state) {
        BenchSupport::turnsUntilIdle([&] { model.setSidebar(SidebarItem::journal); });
        report.visit(BenchSupport::turnsUntilIdle([&] { model.setSidebar(SidebarItem::rules); }), *window);
    }
}
BENCHMARK(BM_RulesPageLaterVisit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PaletteKeystroke(benchmark::State &state)
{
    CommandPalette palette(*fixture().model, {});
    palette.show();
    QCoreApplication::processEvents();
    const QStringList typed{QStringLiteral("i"), QStringLiteral("in"), QStringLiteral("inv"), QStringLiteral("invo"),
                            QStringLiteral("invoi"), QStringLiteral("invoices 4"), QStringLiteral("folder 1"),
                            QString()};
    qsizetype step = 0;
    for (auto _ : state) {
        palette.searchField()->setText(typed.at(step++ % typed.size()));
        QCoreApplication::processEvents();
        palette.list()->viewport()->repaint();
    }
    state.counters["entries"] = double(palette.commands().size());
}
BENCHMARK(BM_PaletteKeystroke)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return BenchSupport::runWithApplication(argc, argv);
}
