#include "AutomationBus.h"

#include <QDBusMetaType>

#include <array>
#include <utility>

namespace {
constexpr auto failedName = "org.example.filewright.Error.Failed";
constexpr std::array<std::pair<FilewrightIntentError, const char *>, 3> reasonNames{{
    {FilewrightIntentError::folderGone, "org.example.filewright.Error.FolderGone"},
    {FilewrightIntentError::noAccess, "org.example.filewright.Error.NoAccess"},
    {FilewrightIntentError::noReceipts, "org.example.filewright.Error.NoReceipts"},
}};
} // namespace

namespace AutomationBus {

QString errorName(const ActionError &error)
{
    for (const auto &[reason, name] : reasonNames) {
        if (error.reason == reason)
            return QString::fromLatin1(name);
    }
    return QString::fromLatin1(failedName);
}

ActionError fromError(const QString &name, const QString &message)
{
    for (const auto &[reason, known] : reasonNames) {
        if (name == QLatin1String(known))
            return ActionError{reason, message};
    }
    return ActionError::failure(message);
}

void registerTypes()
{
    qDBusRegisterMetaType<FolderEntity>();
    qDBusRegisterMetaType<QList<FolderEntity>>();
}

} // namespace AutomationBus

QDBusArgument &operator<<(QDBusArgument &argument, const FolderEntity &entity)
{
    argument.beginStructure();
    argument << entity.id.toString(QUuid::WithoutBraces) << entity.name << entity.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, FolderEntity &entity)
{
    QString id;
    argument.beginStructure();
    argument >> id >> entity.name >> entity.path;
    argument.endStructure();
    entity.id = QUuid::fromString(id);
    return argument;
}
