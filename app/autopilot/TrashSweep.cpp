#include "TrashSweep.h"

#include "FileOperations.h"
#include "FileReadiness.h"
#include "Store.h"

#include <QFileInfo>

namespace TrashSweep {

namespace {

// Whether the file filing left at the entry's place is still there: a file
// lies at the path and, where the entry knows the filed file's identity, it
// is that file and not another one put there since.
bool filedFileIsThere(const JournalEntry &entry)
{
    const QFileInfo info(entry.newPath);
    if (entry.newPath.isEmpty() || (!info.exists() && !info.isSymLink()))
        return false;
    if (!entry.fileID)
        return true;
    return FileReadiness::identifier(entry.newPath) == entry.fileID;
}

} // namespace

int sweep(Store &store, const QDateTime &now)
{
    int trashed = 0;
    const QList<JournalEntry> due = store.journalDueForTrash(now);
    if (due.isEmpty())
        return 0;
    store.batch([&] {
        for (JournalEntry entry : due) {
            // The store has filtered already; the test stays here so that the
            // sweep never acts on an entry it was not meant for.
            if (entry.status() != JournalEntry::Status::done || !entry.trashDue || *entry.trashDue > now)
                continue;
            if (!filedFileIsThere(entry)) {
                entry.trashDue.reset();
                store.update(entry);
                continue;
            }
            try {
                FileOperations::trash(entry.newPath);
                entry.statusRaw = JournalEntry::statusRawValue(JournalEntry::Status::trashed);
                entry.trashDue.reset();
                ++trashed;
            } catch (const FileOperationError &error) {
                entry.message = error.description();
            }
            store.update(entry);
        }
    });
    return trashed;
}

} // namespace TrashSweep
