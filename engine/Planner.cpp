#include "Planner.h"

#include "Recognizer.h"

#include <QDir>

namespace Planner {

namespace {
QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + QLatin1Char('/') + name;
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}
} // namespace

Plan plan(const Rule &rule, const FileFacts &facts, const NameTemplate &nameTemplate, const QString &home,
          const NameTemplate::ExistsTest &exists)
{
    const std::optional<QDateTime> fileDate = facts.recognition && facts.recognition->date
        ? std::nullopt
        : Recognizer::fileDate(facts.url);
    const QString originalName = facts.name();
    const NameTemplate::Values values = nameTemplate.values(facts.recognition, originalName, 1, fileDate);
    const QString originalExtension = NameTemplate::pathExtension(originalName);

    QString folder = folderOf(facts.url);
    QString name = originalName;
    QStringList copyFolders;
    Plan result;
    result.ruleID = rule.id;
    result.original = facts.url;
    QStringList missing;

    for (const RuleAction &action : rule.actions) {
        switch (action.kind) {
        case RuleAction::Kind::move:
            missing += nameTemplate.missing(action.value, values);
            folder = nameTemplate.folder(action.value, values, home);
            break;
        case RuleAction::Kind::rename:
            missing += nameTemplate.missing(action.value, values);
            name = nameTemplate.fileName(action.value, values, originalExtension);
            break;
        case RuleAction::Kind::tag: {
            // Only tags from earlier actions are passed over: a tag written
            // twice in one action's list stays twice.
            const qsizetype earlier = result.tags.size();
            for (const QString &tag : action.tags()) {
                if (!result.tags.first(earlier).contains(tag))
                    result.tags.append(tag);
            }
            break;
        }
        case RuleAction::Kind::trashAfter: {
            // A negative count would send the file to the Trash at the next
            // sweep; like an unreadable count it sets no Trash date.
            const std::optional<qint64> days = action.days();
            result.trashAfterDays =
                days && *days >= 0 ? std::optional(std::min(*days, Plan::maxTrashAfterDays)) : std::nullopt;
            break;
        }
        case RuleAction::Kind::openWith:
            result.openWith = action.value;
            break;
        case RuleAction::Kind::copy:
            missing += nameTemplate.missing(action.value, values);
            copyFolders.append(nameTemplate.folder(action.value, values, home));
            break;
        }
    }

    // The file's own place is free for it: a file that was given "name 2"
    // because "name" was taken keeps that name, rather than trading it for
    // "name 3" and back again at every new look.
    const QString own = QDir::cleanPath(facts.url);
    const auto isOwn = [&own](const QString &path) { return QDir::cleanPath(path) == own; };
    const QString target = joined(folder, name);
    const QString free = isOwn(target)
        ? target
        : NameTemplate::freeURL(target, [&](const QString &path) { return !isOwn(path) && exists(path); });
    result.destination = isOwn(free) ? facts.url : free;
    for (const QString &copyFolder : copyFolders)
        result.copies.append(NameTemplate::freeURL(joined(copyFolder, name), exists));

    missing.removeDuplicates();
    missing.sort(Qt::CaseSensitive);
    result.missing = missing;
    return result;
}

} // namespace Planner
