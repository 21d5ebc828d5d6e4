// The running application's automation actions, called over the session bus.
// Each request carries the language its answer is to be given in.
#pragma once

#include "AutomationDoor.h"

#include <QDBusConnection>
#include <QVariantList>

#include <memory>
#include <optional>

class AutomationClient : public AutomationDoor
{
public:
    // The automation of the application that runs in this session, when it
    // works on the store at storePath; nothing otherwise. The bus types must
    // be registered before (AutomationBus::registerTypes()).
    static std::unique_ptr<AutomationClient> find(const QString &storePath, NameLanguage language);
    // The store the application running in this session works on; none when
    // no application answers within the time (-1: the bus's own limit), as
    // one that is ending does not.
    static std::optional<QString> runningStore(int timeoutMs = -1);

    ActionResult<AutomationActions::CleanUpResult> cleanUp(const QUuid &folder) override;
    ActionResult<RecognizedDocument> recognize(const QString &path) override;
    ActionResult<QString> exportReceipts(int year, int month) override;
    ActionResult<QList<FolderEntity>> folders(const std::optional<QList<QUuid>> &ids) override;

private:
    AutomationClient(QDBusConnection bus, QString owner, NameLanguage language);
    // The reply's arguments, or the action error it carries.
    ActionResult<QVariantList> call(const QString &method, const QVariantList &arguments) const;

    // Whether the process the client found has left the bus.
    bool ownerGone() const;

    QDBusConnection m_bus;
    // The running application's own name on the bus: every call goes to
    // that process, and none to another that takes the name after it.
    const QString m_owner;
    const NameLanguage m_nameLanguage;
    const QString m_language;
};
