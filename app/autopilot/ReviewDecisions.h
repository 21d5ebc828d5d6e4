// What the user decides on one journal entry: file a reading that waited for
// the user's check (with the values the user corrected), skip it, or undo a
// filing. Each outcome is written into the entry and stored; nothing is
// returned or thrown.
#pragma once

#include "JournalIntent.h"
#include "Models.h"

#include <QDateTime>

#include <functional>
#include <optional>

class LoopGuard;
class RecognitionCache;
class Store;

namespace ReviewDecisions {

// Carries a plan out for its entry, gives the entry its outcome and stores
// it: the filing step of the automation.
using Perform = std::function<void(const Plan &plan, JournalEntry &entry, std::optional<quint64> fileID)>;

// Files an entry by its kept plan. With a corrected reading, and while the
// entry's rule still exists, the file is planned again from the corrected
// values by that rule (its conditions are not asked again) and the
// correction is kept on the entry and in the stored reading of the file's
// content; without the rule the kept plan is filed and the correction
// dropped. An entry without a kept plan stays as it is.
void approve(Store &store, JournalEntry &entry, const std::optional<Recognition> &corrected, RecognitionCache &cache,
             const Perform &perform, const QDateTime &now);
// The plan approve files, the correction put on the entry (not yet stored)
// and into the stored reading; none for an entry without a kept plan.
std::optional<Plan> approvedPlan(Store &store, JournalEntry &entry, const std::optional<Recognition> &corrected,
                                 RecognitionCache &cache, const QDateTime &now);

// Closes an entry without touching its file: "skipped", plan dropped.
void skip(Store &store, JournalEntry &entry);

// Reverses a filing: the file goes back, the tags filing added come off and
// the copies go to the Trash; the entry becomes "undone" without a Trash date,
// the moved file is left alone by the watcher for a while, and its reading
// follows it back. Only an entry with status done and a record of what was
// done is undone. When the filed file is no longer at its place, or another
// file lies there now, nothing changes on disk and the entry's message says
// that the file was moved.
void undo(Store &store, JournalEntry &entry, LoopGuard &loopGuard, RecognitionCache &cache, const QDateTime &now);

// The steps of undo, for a caller that moves the file elsewhere (off the
// main thread). beginUndo checks the entry and stores the intent; none when
// nothing is to be done on disk (a moved file's message is stored then).
struct UndoStep
{
    Performed performed;
    JournalIntent intent;
    // What the journal knows of folders filings made where the undo may remove one.
    QList<MadeFolder> madeByFilings;
};
std::optional<UndoStep> beginUndo(Store &store, JournalEntry &entry);
// The folders that filings in the journal made at the places an undo of
// this filing may remove, with the identities they had then.
QList<MadeFolder> foldersMadeByFilings(const Store &store, const Performed &performed);
// Stores where the file is about to go back to, before it moves.
void noteUndoTarget(Store &store, JournalEntry &entry, JournalIntent &intent, const QString &target);
// Stores an undo that failed: the entry keeps its status, with the error as its message.
void undoFailed(Store &store, JournalEntry &entry, const QString &message);

// Stores an undo carried out: the file is back at `back`.
void undone(Store &store, JournalEntry &entry, const QString &back, LoopGuard &loopGuard, RecognitionCache &cache,
            const QDateTime &now);

} // namespace ReviewDecisions
