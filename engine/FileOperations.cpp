#include "FileOperations.h"

#include "ApplicationLauncher.h"
#include "FileTags.h"
#include "FileTransfer.h"
#include "FileUrlCoding.h"
#include "JsonCoding.h"
#include "NameTemplate.h"
#include "RealHome.h"
#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

#include <unistd.h>

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

Performed perform(const Plan &plan)
{
    for (const QString &copy : plan.copies) {
        FileTransfer::makeFolders(parentOf(copy));
        FileTransfer::copy(plan.original, copy);
    }

    if (plan.destination != plan.original) {
        FileTransfer::makeFolders(parentOf(plan.destination));
        FileTransfer::move(plan.original, plan.destination);
    }

    QStringList added;
    if (!plan.tags.isEmpty()) {
        // Tags that cannot be read are never written over.
        const auto current = FileTags::read(plan.destination);
        if (!current)
            throw FileOperationError::failed(
                QStringLiteral("The tags of “%1” couldn’t be read.").arg(QFileInfo(plan.destination).fileName()));
        for (const QString &tag : plan.tags) {
            if (!current->contains(tag) && !added.contains(tag))
                added.append(tag);
        }
        if (!added.isEmpty())
            FileTags::write(plan.destination, *current + added);
    }

    if (plan.openWith)
        open(plan.destination, *plan.openWith);

    return Performed{plan.original, plan.destination, plan.copies, added, plan.trashAfterDays};
}

QString undo(const Performed &performed)
{
    if (!NameTemplate::defaultExists(performed.destination))
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
            try {
                FileTransfer::move(performed.destination, target);
                result = target;
                break;
            } catch (const FileOperationError &) {
                if (attempt >= 2 || !NameTemplate::defaultExists(target)
                    || !NameTemplate::defaultExists(performed.destination))
                    throw;
            }
        }
        removeEmptyFolders(parentOf(performed.destination), 2);
    }

    for (const QString &copy : performed.copies) {
        if (!NameTemplate::defaultExists(copy))
            continue;
        try {
            trash(copy);
        } catch (const FileOperationError &) {
            // A copy that cannot go to the Trash stays where it is.
        }
    }
    return result;
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
