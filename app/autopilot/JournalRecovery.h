// Settling, at start, the steps on disk that a crash cut short: every journal
// entry that still says a filing, an undo or a move to the Trash is under way
// (JournalIntent) in a process that no longer runs is compared with what is
// on disk, where the file's identity tells which file is which, and the step
// is finished or its entry set right; hidden copies that the crash left
// behind are removed. Afterwards the journal agrees with the disk.
#pragma once

class Autopilot;
struct JournalEntry;
struct JournalIntent;

class JournalRecovery
{
public:
    // Returns the number of entries settled.
    static int settle(Autopilot &autopilot);

private:
    static void settleFiling(Autopilot &autopilot, JournalEntry &entry, const JournalIntent &intent);
    static void settleUndo(Autopilot &autopilot, JournalEntry &entry, const JournalIntent &intent);
    static void settleTrash(Autopilot &autopilot, JournalEntry &entry);
};
