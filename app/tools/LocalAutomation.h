// The automation actions in a command's own process, on the store without
// windows and without watching: for when no application runs on the store.
// The caller holds the store's lock for as long as this lives. Answers come
// in the language given.
#pragma once

#include "AutomationDoor.h"

#include <memory>

class Autopilot;
class Store;

class LocalAutomation : public AutomationDoor
{
public:
    LocalAutomation(std::unique_ptr<Store> store, NameLanguage language);
    ~LocalAutomation() override;

    ActionResult<AutomationActions::CleanUpResult> cleanUp(const QUuid &folder) override;
    ActionResult<RecognizedDocument> recognize(const QString &path) override;
    ActionResult<QString> exportReceipts(int year, int month) override;
    ActionResult<QList<FolderEntity>> folders(const std::optional<QList<QUuid>> &ids) override;

private:
    const NameLanguage m_language;
    std::unique_ptr<Store> m_store;
    std::unique_ptr<Autopilot> m_autopilot;
    std::unique_ptr<AutomationActions> m_actions;
};
