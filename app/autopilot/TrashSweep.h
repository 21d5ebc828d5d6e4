// Moving filed files to the Trash once the date their rule gave them has
// come. Acts only on the file that filing left at the entry's place: when the
// file is gone, or another file now lies there, the entry is dropped from the
// schedule and nothing is trashed.
#pragma once

#include <QDateTime>

class Store;
struct JournalEntry;

namespace TrashSweep {

// Every entry with status done whose Trash date is at or before now: its
// file goes to the Trash ("trashed", no date), or, when it is no longer
// there, the entry loses its date and stays done. A file the Trash refuses
// keeps its date, with the reason in the entry's message, and is tried
// again at the next sweep. Returns the number of files trashed.
int sweep(Store &store, const QDateTime &now);

// Whether the file filing left at the entry's place is still there: a file
// lies at the path and, where the entry knows the filed file's identity, it
// is that file and not another one put there since.
bool filedFileIsThere(const JournalEntry &entry);

} // namespace TrashSweep
