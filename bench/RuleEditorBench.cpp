// The rule editor on a large rule: opening it (rows built, sentence made,
// laid out and shown) with 20 conditions and 10 actions, and the sentence
// following one keystroke in the rule's name.
#include "BenchSupport.h"
#include "AppModel.h"
#include "Autopilot.h"
#include "RuleEditor.h"
#include "Store.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

Rule largeRule()
{
    Rule rule;
    rule.id = QUuid::createUuid();
    rule.name = QStringLiteral("Large");
    for (int i = 0; i < 20; ++i) {
        const Condition::Field field = Condition::allFields.at(i % Condition::allFields.size());
        rule.conditions.append(Condition{QUuid::createUuid(), field, Condition::operators(field).constFirst(),
                                         field == Condition::Field::kind ? QStringLiteral("invoice,receipt")
                                                                         : QStringLiteral("value %1").arg(i)});
    }
    for (int i = 0; i < 10; ++i) {
        const RuleAction::Kind kind = RuleAction::allKinds.at(i % RuleAction::allKinds.size());
        rule.actions.append(RuleAction{QUuid::createUuid(), kind, QStringLiteral("~/Documents/{jahr}/%1").arg(i)});
    }
    return rule;
}

struct Fixture
{
    QTemporaryDir dir;
    AppModel model{Store::open(dir.filePath(QStringLiteral("bench.store")))};
    AppModel::Editing editing{QUuid::createUuid(), largeRule(), std::nullopt, false};

    Fixture()
    {
        QDir().mkpath(dir.filePath(QStringLiteral("Inbox")));
        if (const auto folder = model.autopilot().addFolder(dir.filePath(QStringLiteral("Inbox")), true))
            editing.folderID = folder->uuid;
    }
};

void BM_OpenEditorOnLargeRule(benchmark::State &state)
{
    Fixture fixture;
    for (auto _ : state) {
        RuleEditor editor(fixture.model, fixture.editing);
        editor.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(editor.sentence());
    }
}
BENCHMARK(BM_OpenEditorOnLargeRule)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SentencePerKeystroke(benchmark::State &state)
{
    Fixture fixture;
    RuleEditor editor(fixture.model, fixture.editing);
    editor.show();
    QApplication::processEvents();
    auto *name = editor.findChild<QLineEdit *>(QStringLiteral("name"));
    name->setFocus();
    int typed = 0;
    for (auto _ : state) {
        QTest::keyClick(name, ++typed % 2 == 0 ? Qt::Key_Backspace : Qt::Key_A);
        benchmark::DoNotOptimize(editor.sentence());
    }
}
BENCHMARK(BM_SentencePerKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return BenchSupport::runWithApplication(argc, argv);
}
