#include "TrashSweep.h"

#include "FileOperations.h"
#include "FileReadiness.h"
#include "JournalIntent.h"
#include "KillPoint.h"
#include "Store.h"

#include <QFileInfo>

namespace TrashSweep {


bool filedFileIsThere(const JournalEntry &entry)
{
    const QFileInfo info(entry.newPath);
    if (entry.newPath.isEmpty() || (!info.exists() && !info.isSymLink()))
        return false;
    if (!entry.fileID)
        return true;
    return FileReadiness::identifier(entry.newPath) == entry.fileID;
}

int sweep(Store &store, const QDateTime &now)
{
    int trashed = 0;
    // Each file is settled on its own: a crash halfway loses no file's outcome.
    for (JournalEntry entry : store.journalDueForTrash(now)) {
        // The store has filtered already; the test stays here so that the
        // sweep never acts on an entry it was not meant for.
        if (entry.status() != JournalEntry::Status::done || !entry.trashDue || *entry.trashDue > now)
            continue;
        // A step under way on the entry (an undo moving the file back) is left to end first.
        if (entry.intentData)
            continue;
        if (!filedFileIsThere(entry)) {
            entry.trashDue.reset();
            store.update(entry);
            continue;
        }
        // The entry says what is about to happen before the disk is touched
        // (JournalRecovery settles it after a crash).
        entry.intentData = JournalIntent::begin(JournalIntent::Kind::trash).toJsonData();
        store.update(entry);
        KillPoint::reach();
        try {
            FileOperations::trash(entry.newPath);
            KillPoint::reach();
            entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::trashed);
            entry.trashDue.reset();
            ++trashed;
        } catch (const FileOperationError &error) {
            entry.message = error.description();
        }
        entry.intentData.reset();
        store.update(entry);
    }
    return trashed;
}

} // namespace TrashSweep
