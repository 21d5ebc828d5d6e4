// The running application's automation actions, called over the session bus.
// Each request carries the language its answer is to be given in.
#pragma once

#include "AutomationDoor.h"

#include <QDBusConnection>
#include <QVariantList>

#include <memory>

class AutomationClient : public AutomationDoor
{
public:
    // The automation of the application that runs in this session, when it
    // works on the store at storePath; nothing otherwise. The bus types must
    // be registered before (AutomationBus::registerTypes()).
    static std::unique_ptr<AutomationClient> find(const QString &storePath, NameLanguage language);

    ActionResult<AutomationActions::CleanUpResult> cleanUp(const QUuid &folder) override;
    ActionResult<RecognizedDocument> recognize(const QString &path) override;
    ActionResult<QString> exportReceipts(int year, int month) override;
    ActionResult<QList<FolderEntity>> folders(const std::optional<QList<QUuid>> &ids) override;

private:
    AutomationClient(QDBusConnection bus, NameLanguage language);
    // The reply's arguments, or the action error it carries.
    ActionResult<QVariantList> call(const QString &method, const QVariantList &arguments) const;

    QDBusConnection m_bus;
    const QString m_language;
};
