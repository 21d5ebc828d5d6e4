#include "FileOperations.h"

#include "ApplicationLauncher.h"
#include "FileTags.h"
#include "FileTransfer.h"
#include "FileReadiness.h"
#include "FileUrlCoding.h"
#include "JsonCoding.h"
#include "KillPoint.h"
#include "NameTemplate.h"
#include "RealHome.h"
#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <unistd.h>

#include <algorithm>
#include <functional>

namespace {

// Device and inode numbers may pass the 53 bits that a JSON number holds
// exactly, so they are written as decimal text.
QJsonObject madeFolderToJson(const MadeFolder &folder)
{
    return QJsonObject{
        {QStringLiteral("path"), FileUrlCoding::toJson(folder.path)},
        {QStringLiteral("device"), QString::number(folder.identity.device)},
        {QStringLiteral("inode"), QString::number(folder.identity.inode)},
    };
}

quint64 requiredNumberText(const QJsonObject &object, const QString &key)
{
    bool ok = false;
    const quint64 number = JsonCoding::requiredString(object, key).toULongLong(&ok, 10);
    if (!ok)
        throw JsonCoding::DecodeError(QStringLiteral("Key \"%1\" is not a whole number").arg(key));
    return number;
}

QList<MadeFolder> madeFoldersFromJson(const QJsonObject &object, const QString &key)
{
    QList<MadeFolder> folders;
    if (!object.contains(key) || object.value(key).isNull())
        return folders;
    for (const QJsonValue &value : JsonCoding::requiredArray(object, key)) {
        const QJsonObject folder = JsonCoding::requiredObject(value, key);
        folders.append(MadeFolder{FileUrlCoding::requiredPath(folder, QStringLiteral("path")),
                                  FolderIdentity{requiredNumberText(folder, QStringLiteral("device")),
                                                 requiredNumberText(folder, QStringLiteral("inode"))}});
    }
    return folders;
}

} // namespace

QJsonObject Performed::toJson() const
{
    QJsonObject object{
        {QStringLiteral("original"), FileUrlCoding::toJson(original)},
        {QStringLiteral("destination"), FileUrlCoding::toJson(destination)},
        {QStringLiteral("copies"), FileUrlCoding::toJson(copies)},
        {QStringLiteral("addedTags"), QJsonArray::fromStringList(addedTags)},
    };
    if (trashAfterDays)
        object.insert(QStringLiteral("trashAfterDays"), static_cast<double>(*trashAfterDays));
    if (createdFolders)
        object.insert(QStringLiteral("createdFolders"), FileUrlCoding::toJson(*createdFolders));
    if (!madeFolders.isEmpty()) {
        QJsonArray folders;
        for (const MadeFolder &folder : madeFolders)
            folders.append(madeFolderToJson(folder));
        object.insert(QStringLiteral("madeFolders"), folders);
    }
    return object;
}

QByteArray Performed::toJsonData() const
{
    return JsonCoding::serialize(toJson());
}

Performed Performed::fromJson(const QJsonObject &object)
{
    Performed performed;
    performed.original = FileUrlCoding::requiredPath(object, QStringLiteral("original"));
    performed.destination = FileUrlCoding::requiredPath(object, QStringLiteral("destination"));
    performed.copies = FileUrlCoding::requiredPaths(object, QStringLiteral("copies"));
    performed.addedTags = JsonCoding::requiredStringList(object, QStringLiteral("addedTags"));
    performed.trashAfterDays = FileUrlCoding::optionalInteger(object, QStringLiteral("trashAfterDays"));
    performed.createdFolders = FileUrlCoding::optionalPaths(object, QStringLiteral("createdFolders"));
    performed.madeFolders = madeFoldersFromJson(object, QStringLiteral("madeFolders"));
    return performed;
}

Performed Performed::fromJsonData(const QByteArray &data)
{
    return fromJson(JsonCoding::parseObject(data));
}

namespace FileOperations {

namespace {
QString parentOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}
} // namespace

namespace {

bool exists(const QString &path)
{
    return NameTemplate::defaultExists(path);
}

// The tags step of a plan on the file at its destination.
QStringList addTags(const Plan &plan, const std::optional<QStringList> &tagsBefore)
{
    QStringList added;
    if (plan.tags.isEmpty())
        return added;
    // Tags that cannot be read are never written over.
    const auto current = FileTags::read(plan.destination);
    if (!current)
        throw FileOperationError::failed(
            FileOperationError::message(FileOperationError::Message::tagsUnreadable).arg(QFileInfo(plan.destination).fileName()));
    const QStringList &before = tagsBefore ? *tagsBefore : *current;
    for (const QString &tag : plan.tags) {
        if (!before.contains(tag) && !added.contains(tag))
            added.append(tag);
    }
    QStringList missing;
    for (const QString &tag : std::as_const(added)) {
        if (!current->contains(tag))
            missing.append(tag);
    }
    if (!missing.isEmpty())
        FileTags::write(plan.destination, *current + missing);
    return added;
}

// Whether a filing made the folder at path that stands there now: this
// record's own (by its identity, or by its path alone when the record kept
// none), or any other record's with the folder's present identity.
bool madeByFiling(const QString &folder, const Performed &performed, const QList<MadeFolder> &madeByFilings)
{
    const std::optional<FolderIdentity> now = FolderIdentity::of(folder);
    if (!now)
        return false;
    const auto atPath = [&](const MadeFolder &made) { return QDir::cleanPath(made.path) == folder; };
    const auto sameFolder = [&](const MadeFolder &made) { return atPath(made) && made.identity == *now; };
    if (std::any_of(performed.madeFolders.begin(), performed.madeFolders.end(), sameFolder)
        || std::any_of(madeByFilings.begin(), madeByFilings.end(), sameFolder))
        return true;
    // A folder this record made without keeping its identity: by its path alone.
    return performed.createdFolders
        && std::none_of(performed.madeFolders.begin(), performed.madeFolders.end(), atPath)
        && std::any_of(performed.createdFolders->begin(), performed.createdFolders->end(),
                       [&](const QString &created) { return QDir::cleanPath(created) == folder; });
}

// How many folders, from the filed file's folder upwards and two at most,
// filings made.
int createdLevels(const Performed &performed, const QList<MadeFolder> &madeByFilings)
{
    int levels = 0;
    for (const QString &folder : undoFolders(performed)) {
        if (!madeByFiling(folder, performed, madeByFilings))
            break;
        ++levels;
    }
    return levels;
}

// What is left of an undo once the file is back: emptied folders and copies.
void tidyAfterUndo(const Performed &performed, const QList<MadeFolder> &madeByFilings)
{
    if (const int levels = createdLevels(performed, madeByFilings); levels > 0)
        removeEmptyFolders(parentOf(performed.destination), levels);
    for (const QString &copy : performed.copies) {
        if (!exists(copy))
            continue;
        try {
            trash(copy);
        } catch (const FileOperationError &) {
            // A copy that cannot go to the Trash stays where it is.
        }
    }
}

} // namespace

Performed perform(const Plan &plan, const std::optional<QStringList> &tagsBefore)
{
    // A file deleted or moved away since it was planned: said so before
    // any folder is made for it.
    if (!exists(plan.original))
        throw FileOperationError::failed(
            FileOperationError::message(FileOperationError::Message::originalGone)
                .arg(QFileInfo(plan.original).fileName(), RealHome::abbreviate(QDir::cleanPath(parentOf(plan.original)))));

    QStringList created;
    for (const QString &copy : plan.copies) {
        created += FileTransfer::makeFolders(parentOf(copy));
        FileTransfer::copy(plan.original, copy);
    }

    if (plan.destination != plan.original) {
        created += FileTransfer::makeFolders(parentOf(plan.destination));
        FileTransfer::move(plan.original, plan.destination);
    }

    const QStringList added = addTags(plan, tagsBefore);

    if (plan.openWith)
        open(plan.destination, *plan.openWith);

    QList<MadeFolder> made;
    for (const QString &folder : std::as_const(created)) {
        if (const std::optional<FolderIdentity> identity = FolderIdentity::of(folder))
            made.append(MadeFolder{folder, *identity});
    }
    return Performed{plan.original, plan.destination, plan.copies, added, plan.trashAfterDays, created, made};
}

Performed resume(const Plan &plan, std::optional<quint64> fileID, const QStringList &tagsBefore)
{
    bool moved = plan.destination == plan.original;
    if (!moved) {
        const std::optional<quint64> atOriginal = FileReadiness::identifier(plan.original);
        const std::optional<quint64> atDestination = FileReadiness::identifier(plan.destination);
        // Renamed within its file system, or moved to another one (a new identity) and the original gone.
        moved = atDestination && (atDestination == fileID || (!atOriginal && exists(plan.destination)));
        if (!moved && atOriginal && atDestination && FileTransfer::sameContent(plan.original, plan.destination)) {
            // A move to another file system had put its copy in place: the original goes.
            moved = ::unlink(QFile::encodeName(plan.original).constData()) == 0;
        }
    }
    Plan rest = plan;
    rest.openWith.reset();
    if (moved) {
        rest.original = plan.destination;
        rest.copies.clear(); // made before the move
    } else {
        // Copies already whole at their place are kept; the others are made.
        rest.copies.removeIf([&](const QString &copy) { return FileTransfer::sameContent(plan.original, copy); });
    }
    Performed performed = perform(rest, tagsBefore);
    performed.original = plan.original;
    performed.copies = plan.copies;
    return performed;
}

QString undo(const Performed &performed, const std::function<void(const QString &target)> &beforeMove,
             const QList<MadeFolder> &madeByFilings)
{
    if (!exists(performed.destination))
        throw FileOperationError::fileMoved(RealHome::abbreviate(performed.destination));

    if (!performed.addedTags.isEmpty()) {
        if (const auto current = FileTags::read(performed.destination)) {
            QStringList kept;
            for (const QString &tag : *current) {
                if (!performed.addedTags.contains(tag))
                    kept.append(tag);
            }
            try {
                if (kept != *current)
                    FileTags::write(performed.destination, kept);
            } catch (const FileOperationError &) {
                // The file goes back all the same; its tags stay as they are.
            }
        }
    }

    QString result = performed.destination;
    if (performed.destination != performed.original) {
        FileTransfer::makeFolders(parentOf(performed.original));
        // The free name is checked again by the move itself: should another
        // file take it in between, the next free one is tried.
        for (int attempt = 0;; ++attempt) {
            const QString target = NameTemplate::freeURL(performed.original);
            if (beforeMove)
                beforeMove(target);
            try {
                FileTransfer::move(performed.destination, target);
                result = target;
                break;
            } catch (const FileOperationError &) {
                if (attempt >= 2 || !exists(target) || !exists(performed.destination))
                    throw;
            }
        }
        KillPoint::reach();
    }
    tidyAfterUndo(performed, madeByFilings);
    return result;
}

QString resumeUndo(const Performed &performed, std::optional<quint64> fileID, const QString &target,
                   const std::function<void(const QString &target)> &beforeMove, const QList<MadeFolder> &madeByFilings)
{
    if (performed.destination != performed.original && !target.isEmpty() && exists(target)) {
        const bool stillFiled = exists(performed.destination)
            && (!fileID || FileReadiness::identifier(performed.destination) == fileID);
        // Moved back already; or moved back to another file system, the
        // copy in place and the filed file not yet removed.
        if (!stillFiled
            || (FileTransfer::sameContent(performed.destination, target)
                && ::unlink(QFile::encodeName(performed.destination).constData()) == 0)) {
            tidyAfterUndo(performed, madeByFilings);
            return target;
        }
    }
    return undo(performed, beforeMove, madeByFilings);
}

QStringList undoFolders(const Performed &performed)
{
    if (performed.destination == performed.original)
        return {};
    const QString folder = QDir::cleanPath(parentOf(performed.destination));
    return {folder, parentOf(folder)};
}

void trash(const QString &path)
{
    Trash::moveToTrash(path);
}

QStringList tags(const QString &path)
{
    return FileTags::read(path).value_or(QStringList());
}

void setTags(const QStringList &tags, const QString &path)
{
    FileTags::write(path, tags);
}

void open(const QString &path, const QString &application)
{
    ApplicationLauncher::open(path, application);
}

void removeEmptyFolders(const QString &folder, int levels)
{
    QString current = QDir::cleanPath(folder);
    for (int level = 0; level < levels; ++level) {
        QDir dir(current);
        if (!dir.exists() || current == QLatin1String("/"))
            return;
        const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &entry : entries) {
            if (entry != QLatin1String(".DS_Store"))
                return;
        }
        if (entries.contains(QLatin1String(".DS_Store")))
            QFile::remove(current + QStringLiteral("/.DS_Store"));
        if (::rmdir(QFile::encodeName(current).constData()) != 0)
            return;
        current = parentOf(current);
    }
}

} // namespace FileOperations
