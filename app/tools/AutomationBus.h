// The automation's names on the session bus, shared by the running
// application that offers it and the commands that call it: the name the
// application owns, the object, its interface, the error names, and a
// folder's form on the bus, (id, name, path).
#pragma once

#include "ActionError.h"
#include "FolderEntity.h"

#include <QDBusArgument>
#include <QList>
#include <QString>

namespace AutomationBus {

// Owned by the one Filewright of the session (see SingleInstance).
inline constexpr char serviceName[] = "org.example.filewright.Filewright";
inline constexpr char objectPath[] = "/org/example/filewright/Automation";
inline constexpr char interfaceName[] = "org.example.filewright.Automation";

// The error name that carries an action error: one per reason, and
// "org.example.filewright.Error.Failed" for the rest.
QString errorName(const ActionError &error);
// The action error an error reply stands for.
ActionError fromError(const QString &name, const QString &message);

// Makes the folder list known to the bus; call before the first use.
void registerTypes();

} // namespace AutomationBus

QDBusArgument &operator<<(QDBusArgument &argument, const FolderEntity &entity);
const QDBusArgument &operator>>(const QDBusArgument &argument, FolderEntity &entity);
