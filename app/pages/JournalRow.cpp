#include "JournalRow.h"

#include "DateText.h"
#include "FileNameText.h"
#include "ReadingNotes.h"
#include "RealHome.h"

#include <QFileInfo>

namespace {

// The folder that holds path, with the home folder written as "~".
QString folderOf(const QString &path)
{
    return FileNameText::path(RealHome::abbreviate(QFileInfo(path).path()));
}

QString lastComponent(const QString &path)
{
    return FileNameText::shortened(QFileInfo(path).fileName());
}

} // namespace

JournalRow JournalRow::from(const JournalEntry &entry)
{
    using Status = JournalEntry::Status;
    JournalRow row;
    row.id = entry.id;
    row.date = entry.date;
    row.status = entry.status();
    row.originalPath = entry.originalPath;
    row.newPath = entry.newPath;
    row.recognition = entry.recognition();
    row.hasPerformed = entry.performed().has_value();
    if (row.status != Status::review)
        row.message = FileNameText::oneLine(ReadingNotes::shown(entry.message));

    // Only a filing that happened moved the file: a failed or skipped entry
    // keeps the planned place in newPath, but the file is still where it was found.
    const bool stayed = row.status == Status::review || row.status == Status::undone || row.status == Status::failed
        || row.status == Status::skipped;
    row.title = FileNameText::oneLine(stayed ? entry.originalName() : entry.fileName());
    row.iconPath = stayed ? entry.originalPath : entry.newPath;

    const QString rule = FileNameText::oneLine(entry.ruleName);
    switch (row.status) {
    case Status::done:
        row.detail = entry.originalPath == entry.newPath
            ? tr("%1: tagged, stays in %2").arg(rule, folderOf(entry.newPath))
            : tr("%1: was %2, now in %3").arg(rule, FileNameText::shortened(entry.originalName()), folderOf(entry.newPath));
        break;
    case Status::review:
        row.detail = tr("%1 would file it as %2").arg(rule, lastComponent(entry.newPath));
        break;
    case Status::undone:
        row.detail = tr("%1: undone, back in %2").arg(rule, folderOf(entry.originalPath));
        break;
    case Status::failed:
        // A file that no rule could be tried on (its name cannot be read) has no rule to name.
        row.detail = rule.isEmpty() ? tr("Not filed, still in %1").arg(folderOf(entry.originalPath))
                                    : tr("%1: not filed, still in %2").arg(rule, folderOf(entry.originalPath));
        break;
    case Status::trashed:
        row.detail = tr("%1: moved to the Trash").arg(rule);
        break;
    case Status::skipped:
        row.detail = tr("%1: skipped, stays in %2").arg(rule, folderOf(entry.originalPath));
        break;
    }
    return row;
}

std::optional<JournalRow::Chip> JournalRow::chip() const
{
    if (busy)
        return Chip{tr("Working…"), QStringLiteral("clock.arrow.circlepath"), false};
    switch (status) {
    case JournalEntry::Status::done:
        return std::nullopt;
    case JournalEntry::Status::review:
        return Chip{tr("Please check"), QStringLiteral("hand.raised"), true};
    case JournalEntry::Status::undone:
        return Chip{tr("Undone"), QStringLiteral("arrow.uturn.backward"), false};
    case JournalEntry::Status::failed:
        return Chip{tr("Not done"), QStringLiteral("exclamationmark.circle"), false};
    case JournalEntry::Status::trashed:
        return Chip{tr("In the Trash"), QStringLiteral("trash"), false};
    case JournalEntry::Status::skipped:
        return Chip{tr("Skipped"), QStringLiteral("forward"), false};
    }
    return std::nullopt;
}

std::optional<JournalRow::Action> JournalRow::action() const
{
    if (status == JournalEntry::Status::review)
        return Action::check;
    if (canUndo())
        return Action::undo;
    return std::nullopt;
}

QString JournalRow::existingPath() const
{
    for (const QString &path : {newPath, originalPath}) {
        if (!path.isEmpty() && QFileInfo::exists(path))
            return path;
    }
    return {};
}

QString JournalRow::dayTitle(const QDate &day, const QDate &today)
{
    if (day == today)
        return tr("Today");
    if (day == today.addDays(-1))
        return tr("Yesterday");
    return DateText::fullDay(day);
}

QString JournalRow::actionTitle(Action action)
{
    return action == Action::check ? tr("Check…") : tr("Undo");
}
