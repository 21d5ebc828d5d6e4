// The only place where filing touches the user's files: carrying out a plan
// (copies, the move or rename, tags, opening with an application), undoing
// what was done, and moving files to the Trash. Nothing is ever overwritten.
#pragma once

#include "FileOperationError.h"
#include "FolderIdentity.h"
#include "Plan.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// A folder that filing made, and which one it was.
struct MadeFolder
{
    QString path;
    FolderIdentity identity;

    friend bool operator==(const MadeFolder &, const MadeFolder &) = default;
};

// What filing did to one file; the journal keeps it as JSON for undo.
struct Performed
{
    QString original; // where the file was before filing
    QString destination; // where filing put it; the original when it stayed
    QStringList copies; // the copies made, in plan order
    QStringList addedTags; // the plan's tags the file did not carry before
    std::optional<qint64> trashAfterDays;
    // The folders filing created, outermost first. Records from before it
    // was kept have none: they name no folder for an undo to remove, since
    // any of them may be the user's own.
    std::optional<QStringList> createdFolders;
    // Those of the created folders whose identity was read when they were
    // made, in the same order. Records from before identities were kept
    // have none.
    QList<MadeFolder> madeFolders;

    friend bool operator==(const Performed &, const Performed &) = default;

    QJsonObject toJson() const;
    QByteArray toJsonData() const;
    // Throw JsonCoding::DecodeError.
    static Performed fromJson(const QJsonObject &object);
    static Performed fromJsonData(const QByteArray &data);
};

namespace FileOperations {

// Copies first (from the file at its original place), then the move, then
// the tags on the file where it ended up, then opening it. Throws
// FileOperationError::failed; steps already done stay done, and no file
// that existed before is ever lost or replaced. A file that is no longer at
// the plan's original fails it before anything is made or changed. The added tags are those the
// file did not carry before: tagsBefore when given, else the tags it has
// when they are written.
Performed perform(const Plan &plan, const std::optional<QStringList> &tagsBefore = std::nullopt);

// Finishes a plan whose perform was cut short (the process killed): a file
// found at its destination (by its identity, or the original gone) counts as
// moved, and a move to another file system whose copy is whole in place is
// completed; copies already whole are kept; the tags are added again.
// Nothing is opened. Folders made before the cut are not known to be the
// filing's, so they are not among the created ones. Throws as perform does.
Performed resume(const Plan &plan, std::optional<quint64> fileID, const QStringList &tagsBefore);

// Puts the file back (under the next free name when another file has taken
// its old one), removes the tags filing added, removes up to two folders
// that are empty now (from the filed file's folder upwards) and moves the
// copies to the Trash. A folder goes only when a filing made it: this one
// (by its record), or any filing in madeByFilings whose record names the
// folder's path with the identity the folder still has. A folder that was
// there before, or that the user made later at the same path, stays.
// Returns where the file is now. Throws FileOperationError::fileMoved, before
// anything changes, when the file is no longer where filing put it.
// beforeMove (optional) learns the free name the file goes back to before it
// moves.
QString undo(const Performed &performed, const std::function<void(const QString &target)> &beforeMove = {},
             const QList<MadeFolder> &madeByFilings = {});

// Finishes an undo cut short: when the file is already at the target it
// was going back to (or its whole copy is, across file systems), what is
// left is done; otherwise the undo runs again.
QString resumeUndo(const Performed &performed, std::optional<quint64> fileID, const QString &target,
                   const std::function<void(const QString &target)> &beforeMove = {},
                   const QList<MadeFolder> &madeByFilings = {});

// The folders an undo of the filing may remove, inner first: the filed
// file's folder and the one above it; none when the file did not move.
// Only records of folders made at these paths matter to the undo.
QStringList undoFolders(const Performed &performed);

// Moves an item to the Trash. Throws FileOperationError::failed.
void trash(const QString &path);

// The file's tags; empty when it has none or they cannot be read.
QStringList tags(const QString &path);

// Replaces the file's whole tag list. Throws FileOperationError::failed.
void setTags(const QStringList &tags, const QString &path);

// Opens the file with the application; nothing happens when none is found.
void open(const QString &path, const QString &application);

// Removes the folder when it is empty (or holds only ".DS_Store"), then its
// parent the same way, at most `levels` folders in all.
void removeEmptyFolders(const QString &folder, int levels);

} // namespace FileOperations
