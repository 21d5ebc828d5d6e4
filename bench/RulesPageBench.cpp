// The rules page and the command palette over a store of 500 rules and 100
// folders: showing the page (its first cards painted), every card joined,
// and one keystroke in the palette's search (matching, the list and its
// paint).
#include "AppModel.h"
#include "Autopilot.h"
#include "BenchSupport.h"
#include "CommandPalette.h"
#include "RuleCard.h"
#include "RulesPage.h"
#include "Store.h"

#include <QDir>
#include <QLineEdit>
#include <QListView>

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

void BM_RulesPageShown(benchmark::State &state)
{
    AppModel &model = *fixture().model;
    qsizetype cards = 0;
    for (auto _ : state) {
        RulesPage page(model);
        page.resize(880, 660);
        page.show();
        // Its layout, then its first paint; the remaining cards join in the
        // next turn of the event loop (measured below).
        QCoreApplication::sendPostedEvents();
        benchmark::DoNotOptimize(page.grab());
        cards = page.cards().size();
    }
    state.counters["cards"] = double(cards);
}
BENCHMARK(BM_RulesPageShown)->Unit(benchmark::kMillisecond);

// Until every card has joined the page, the event loop turning in between.
void BM_RulesPageAllCards(benchmark::State &state)
{
    AppModel &model = *fixture().model;
    for (auto _ : state) {
        RulesPage page(model);
        page.resize(880, 660);
        page.show();
        while (page.cards().size() < ruleCount)
            QCoreApplication::processEvents();
        benchmark::DoNotOptimize(page.grab());
    }
}
BENCHMARK(BM_RulesPageAllCards)->Unit(benchmark::kMillisecond);

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
