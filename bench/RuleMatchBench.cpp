// How fast one rule of three conditions (kind, file type, name) is matched
// against one file's facts.
#include "Rule.h"

#include <benchmark/benchmark.h>

namespace {

FileFacts invoiceFacts()
{
    FileFacts facts;
    facts.url = QStringLiteral("/home/me/Downloads/Rechnung Stadtwerke 2025-02.pdf");
    facts.size = 184'000;
    facts.now = QDateTime(QDate(2025, 3, 10), QTime(9, 0), Qt::UTC);
    facts.added = facts.now.addSecs(-90);
    Recognition recognition;
    recognition.kind = DocumentKind::invoice;
    recognition.sender = QStringLiteral("Stadtwerke München");
    recognition.amount = Decimal::fromString(u"84.20");
    facts.recognition = recognition;
    return facts;
}

Rule invoiceRule()
{
    using Field = Condition::Field;
    using Op = Condition::Operator;
    return Rule{QUuid::createUuid(),
                QStringLiteral("Invoices"),
                {Condition{QUuid::createUuid(), Field::kind, Op::is, QStringLiteral("invoice, receipt")},
                 Condition{QUuid::createUuid(), Field::fileType, Op::is, QStringLiteral("pdf")},
                 Condition{QUuid::createUuid(), Field::name, Op::contains, QStringLiteral("rechnung")}},
                {RuleAction{QUuid::createUuid(), RuleAction::Kind::move, QStringLiteral("~/Documents/{absender}")}},
                true,
                std::nullopt};
}

void BM_RuleMatches(benchmark::State &state)
{
    const Rule rule = invoiceRule();
    const FileFacts facts = invoiceFacts();
    if (!rule.matches(facts))
        state.SkipWithError("the rule should match");
    for (auto _ : state)
        benchmark::DoNotOptimize(rule.matches(facts));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RuleMatches);

} // namespace

BENCHMARK_MAIN();
