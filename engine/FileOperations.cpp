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

#include <functional>

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

// How many folders, from the filed file's folder upwards and two at most,
// the filing itself created; none for a record that does not say.
int createdLevels(const Performed &performed)
{
    if (!performed.createdFolders || performed.destination == performed.original)
        return 0;
    QStringList created;
    for (const QString &folder : *performed.createdFolders)
        created.append(QDir::cleanPath(folder));
    int levels = 0;
    QString folder = QDir::cleanPath(parentOf(performed.destination));
    while (levels < 2 && created.contains(folder)) {
        ++levels;
        folder = parentOf(folder);
    }
    return levels;
}

// What is left of an undo once the file is back: emptied folders and copies.
void tidyAfterUndo(const Performed &performed)
{
    if (const int levels = createdLevels(performed); levels > 0)
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

    return Performed{plan.original, plan.destination, plan.copies, added, plan.trashAfterDays, created};
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

QString undo(const Performed &performed, const std::function<void(const QString &target)> &beforeMove)
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
    tidyAfterUndo(performed);
    return result;
}

QString resumeUndo(const Performed &performed, std::optional<quint64> fileID, const QString &target,
                   const std::function<void(const QString &target)> &beforeMove)
{
    if (performed.destination != performed.original && !target.isEmpty() && exists(target)) {
        const bool stillFiled = exists(performed.destination)
            && (!fileID || FileReadiness::identifier(performed.destination) == fileID);
        // Moved back already; or moved back to another file system, the
        // copy in place and the filed file not yet removed.
        if (!stillFiled
            || (FileTransfer::sameContent(performed.destination, target)
                && ::unlink(QFile::encodeName(performed.destination).constData()) == 0)) {
            tidyAfterUndo(performed);
            return target;
        }
    }
    return undo(performed, beforeMove);
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
