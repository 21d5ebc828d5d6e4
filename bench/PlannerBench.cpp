// Planning one rule with a move and a rename for one recognised file.
#include "Planner.h"

#include <benchmark/benchmark.h>

namespace {

void planMoveAndRename(benchmark::State &state)
{
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = QStringLiteral("Rechnungen");
    rule.actions = {
        RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Belege/{jahr}/{monat}")},
        RuleAction{QUuid::createUuid(), RuleAction::Kind::rename,
                   QStringLiteral("{datum} {absender} {betrag} {waehrung}")},
    };

    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    recognition.sender = QStringLiteral("Beispiel Handels GmbH");
    recognition.date = QDateTime(QDate(2024, 3, 5), QTime(12, 0), Qt::UTC);
    recognition.amount = Decimal::fromString(u"1234.5");
    recognition.currency = QStringLiteral("EUR");
    recognition.title = QStringLiteral("Rechnung 2024-117");

    FileFacts facts;
    facts.url = QStringLiteral("/home/anna/Downloads/scan_0042.pdf");
    facts.recognition = recognition;

    const NameTemplate nameTemplate{NameLanguage::de, QStringLiteral("yyyy-MM-dd")};
    const QString home = QStringLiteral("/home/anna");
    const NameTemplate::ExistsTest nothingTaken = [](const QString &) { return false; };

    for (auto _ : state) {
        Plan plan = Planner::plan(rule, facts, nameTemplate, home, nothingTaken);
        benchmark::DoNotOptimize(plan);
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(planMoveAndRename);

BENCHMARK_MAIN();
