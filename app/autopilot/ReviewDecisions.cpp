#include "ReviewDecisions.h"

#include "FileOperations.h"
#include "FileReadiness.h"
#include "JournalIntent.h"
#include "KillPoint.h"
#include "LoopGuard.h"
#include "Planner.h"
#include "Prefs.h"
#include "RealHome.h"
#include "RecognitionCache.h"
#include "Store.h"

#include <QDir>

namespace ReviewDecisions {

void approve(Store &store, JournalEntry &entry, const std::optional<Recognition> &corrected, RecognitionCache &cache,
             const Perform &perform, const QDateTime &now)
{
    if (const std::optional<Plan> plan = approvedPlan(store, entry, corrected, cache, now))
        perform(*plan, entry, FileReadiness::identifier(plan->original));
}

std::optional<Plan> approvedPlan(Store &store, JournalEntry &entry, const std::optional<Recognition> &corrected,
                                 RecognitionCache &cache, const QDateTime &now)
{
    std::optional<Plan> plan = entry.plan();
    if (!plan)
        return std::nullopt;
    if (corrected && entry.ruleID) {
        if (const std::optional<StoredRule> stored = store.rule(*entry.ruleID)) {
            entry.setRecognition(corrected);
            // The receipts and later readings of the same content show what the user approved.
            cache.correct(plan->original, entry.fileID ? QString::number(*entry.fileID) : QString(), *corrected);
            const FileFacts facts = FileFacts::read(plan->original, corrected, std::nullopt, now);
            plan = Planner::plan(stored->rule(), facts, Prefs::nameTemplate(), RealHome::path());
        }
    }
    return plan;
}

void skip(Store &store, JournalEntry &entry)
{
    entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::skipped);
    entry.setPlan(std::nullopt);
    store.update(entry);
}

void undo(Store &store, JournalEntry &entry, LoopGuard &loopGuard, RecognitionCache &cache, const QDateTime &now)
{
    std::optional<UndoStep> step = beginUndo(store, entry);
    if (!step)
        return;
    try {
        const QString back = FileOperations::undo(
            step->performed, [&](const QString &target) { noteUndoTarget(store, entry, step->intent, target); },
            step->madeByFilings);
        KillPoint::reach();
        undone(store, entry, back, loopGuard, cache, now);
    } catch (const FileOperationError &error) {
        undoFailed(store, entry, error.description());
    }
}

std::optional<UndoStep> beginUndo(Store &store, JournalEntry &entry)
{
    if (entry.status() != JournalEntry::Status::done)
        return std::nullopt;
    const std::optional<Performed> performed = entry.performed();
    if (!performed)
        return std::nullopt;

    // Another file put at the filed place since is never moved, untagged or
    // trashed: it is treated like a filed file that was moved away.
    if (entry.fileID) {
        const std::optional<quint64> there = FileReadiness::identifier(performed->destination);
        if (there && *there != *entry.fileID) {
            entry.message = FileOperationError::fileMoved(RealHome::abbreviate(performed->destination)).description();
            store.update(entry);
            return std::nullopt;
        }
    }

    // The entry says what is about to happen before the disk is touched,
    // and where the file goes back to, so that a crash halfway is settled at
    // the next start (JournalRecovery).
    UndoStep step{*performed, JournalIntent::begin(JournalIntent::Kind::undo), foldersMadeByFilings(store, *performed)};
    noteUndoTarget(store, entry, step.intent, QString());
    return step;
}

QList<MadeFolder> foldersMadeByFilings(const Store &store, const Performed &performed)
{
    const QStringList places = FileOperations::undoFolders(performed);
    QList<MadeFolder> made;
    if (places.isEmpty())
        return made;
    for (const JournalEntry &entry : store.journalWithMadeFolders()) {
        // A record that cannot be read names nothing.
        const std::optional<Performed> other = entry.performed();
        if (!other)
            continue;
        for (const MadeFolder &folder : other->madeFolders) {
            if (places.contains(QDir::cleanPath(folder.path)) && !made.contains(folder))
                made.append(folder);
        }
    }
    return made;
}

void noteUndoTarget(Store &store, JournalEntry &entry, JournalIntent &intent, const QString &target)
{
    intent.target = target;
    entry.intentData = intent.toJsonData();
    store.update(entry);
    KillPoint::reach();
}

void undoFailed(Store &store, JournalEntry &entry, const QString &message)
{
    entry.message = message;
    entry.intentData.reset();
    store.update(entry);
}

void undone(Store &store, JournalEntry &entry, const QString &back, LoopGuard &loopGuard, RecognitionCache &cache,
            const QDateTime &now)
{
    const std::optional<Performed> performed = entry.performed();
    if (const std::optional<quint64> moved = FileReadiness::identifier(back))
        loopGuard.noteMoved(*moved, now);
    entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::undone);
    entry.message.clear();
    entry.trashDue.reset();
    entry.intentData.reset();
    store.update(entry);
    if (performed && back != performed->destination)
        cache.follow(performed->destination, back);
}

} // namespace ReviewDecisions
