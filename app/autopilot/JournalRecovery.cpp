#include "JournalRecovery.h"

#include "Autopilot.h"
#include "FileOperations.h"
#include "FileTransfer.h"
#include "JournalIntent.h"
#include "ReviewDecisions.h"
#include "Store.h"
#include "Trash.h"
#include "TrashSweep.h"

#include <QFileInfo>

namespace {

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

// The entry's step is now this process's own, so that a crash while it is
// settled is settled again at the next start.
void takeOver(Store &store, JournalEntry &entry, JournalIntent next)
{
    entry.intentData = next.toJsonData();
    store.update(entry);
}

void drop(Store &store, JournalEntry &entry)
{
    entry.intentData.reset();
    store.update(entry);
}

} // namespace

int JournalRecovery::settle(Autopilot &autopilot)
{
    Store &store = autopilot.store();
    int settled = 0;
    for (JournalEntry entry : store.journalUnderWay()) {
        const std::optional<JournalIntent> intent =
            entry.intentData ? JournalIntent::fromJsonData(*entry.intentData) : std::nullopt;
        // Under way in another process that still runs: it settles it itself.
        if (intent && intent->ownerRuns())
            continue;
        ++settled;
        if (!intent) {
            drop(store, entry);
            continue;
        }
        switch (intent->kind) {
        case JournalIntent::Kind::file:
            settleFiling(autopilot, entry, *intent);
            break;
        case JournalIntent::Kind::undo:
            settleUndo(autopilot, entry, *intent);
            break;
        case JournalIntent::Kind::trash:
            settleTrash(autopilot, entry);
            break;
        }
    }
    return settled;
}

void JournalRecovery::settleFiling(Autopilot &autopilot, JournalEntry &entry, const JournalIntent &intent)
{
    Store &store = autopilot.store();
    const std::optional<Plan> plan = entry.plan();
    if (!plan)
        return drop(store, entry);
    FileTransfer::removeLeftovers(folderOf(plan->destination));
    for (const QString &copy : plan->copies)
        FileTransfer::removeLeftovers(folderOf(copy));
    JournalIntent next = JournalIntent::begin(JournalIntent::Kind::file);
    next.tagsBefore = intent.tagsBefore;
    next.arrived = intent.arrived;
    takeOver(store, entry, next);
    try {
        const Performed performed = FileOperations::resume(*plan, entry.fileID, intent.tagsBefore);
        autopilot.filed(performed, entry, entry.fileID, intent.arrived);
    } catch (const FileOperationError &error) {
        entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::failed);
        entry.message = error.description();
        drop(store, entry);
    }
}

void JournalRecovery::settleUndo(Autopilot &autopilot, JournalEntry &entry, const JournalIntent &intent)
{
    Store &store = autopilot.store();
    const std::optional<Performed> performed = entry.performed();
    if (!performed)
        return drop(store, entry);
    FileTransfer::removeLeftovers(folderOf(performed->original));
    // A copy whose move to the Trash was cut short goes there again.
    for (const QString &copy : performed->copies)
        Trash::removeUnfinished(copy);
    JournalIntent next = JournalIntent::begin(JournalIntent::Kind::undo);
    const auto note = [&](const QString &target) {
        next.target = target;
        takeOver(store, entry, next);
    };
    note(intent.target);
    try {
        const QString back = FileOperations::resumeUndo(*performed, entry.fileID, intent.target, note,
                                                        ReviewDecisions::foldersMadeByFilings(store, *performed));
        ReviewDecisions::undone(store, entry, back, autopilot.m_loopGuard, autopilot.m_cache, autopilot.now());
    } catch (const FileOperationError &error) {
        entry.message = error.description();
        drop(store, entry);
    }
}

void JournalRecovery::settleTrash(Autopilot &autopilot, JournalEntry &entry)
{
    Store &store = autopilot.store();
    // Every info written for the file whose file is not in the Trash goes:
    // the move was cut short, here or in an earlier try.
    Trash::removeUnfinished(entry.newPath);
    // A file not moved stays due, and the next sweep tries again.
    if (!TrashSweep::filedFileIsThere(entry)) {
        entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::trashed);
        entry.trashDue.reset();
    }
    drop(store, entry);
}
