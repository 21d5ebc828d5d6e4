#include "LocalAutomation.h"

#include "Autopilot.h"
#include "Prefs.h"
#include "Store.h"

#include <QEventLoop>

namespace {
// Starts an action and runs the event loop until it has answered.
template<typename T, typename Start>
ActionResult<T> await(Start start)
{
    std::optional<ActionResult<T>> result;
    QEventLoop loop;
    start([&](const ActionResult<T> &answer) {
        result = answer;
        loop.quit();
    });
    if (!result)
        loop.exec();
    return *result;
}
} // namespace

LocalAutomation::LocalAutomation(std::unique_ptr<Store> store, NameLanguage language)
    : m_language(language)
    , m_store(std::move(store))
{
    Prefs::registerDefaults();
    m_autopilot = std::make_unique<Autopilot>(*m_store);
    m_actions = std::make_unique<AutomationActions>(*m_store, *m_autopilot);
}

LocalAutomation::~LocalAutomation()
{
    m_actions.reset();
    m_autopilot.reset();
}

ActionResult<AutomationActions::CleanUpResult> LocalAutomation::cleanUp(const QUuid &folder)
{
    return await<AutomationActions::CleanUpResult>([&](auto done) { m_actions->cleanUp(folder, m_language, done); });
}

ActionResult<RecognizedDocument> LocalAutomation::recognize(const QString &path)
{
    return await<RecognizedDocument>([&](auto done) { m_actions->recognizeFile(path, m_language, done); });
}

ActionResult<QString> LocalAutomation::exportReceipts(int year, int month)
{
    return await<QString>([&](auto done) { m_actions->exportReceipts(year, month, m_language, done); });
}

ActionResult<QList<FolderEntity>> LocalAutomation::folders(const std::optional<QList<QUuid>> &ids)
{
    const FolderQuery query = m_actions->folders();
    return ids ? query.entities(*ids) : query.suggestedEntities();
}
