#include "AutomationClient.h"

#include "AutomationBus.h"
#include "LanguageTexts.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

namespace {
// A clean-up of many files or the reading of a long scan takes its time.
constexpr int callTimeoutMs = 30 * 60 * 1000;

QString service()
{
    return QString::fromLatin1(AutomationBus::serviceName);
}

template<typename T, typename Convert>
ActionResult<T> mapped(const ActionResult<QVariantList> &reply, Convert convert)
{
    if (const auto *error = std::get_if<ActionError>(&reply))
        return *error;
    return convert(std::get<QVariantList>(reply));
}
} // namespace

std::optional<QString> AutomationClient::runningStore(int timeoutMs)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service()))
        return std::nullopt;
    QDBusMessage get = QDBusMessage::createMethodCall(service(), QString::fromLatin1(AutomationBus::objectPath),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QString::fromLatin1(AutomationBus::interfaceName) << QStringLiteral("StorePath");
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
}

std::unique_ptr<AutomationClient> AutomationClient::find(const QString &storePath, NameLanguage language)
{
    if (runningStore() != storePath)
        return nullptr;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString owner = bus.interface()->serviceOwner(service()).value();
    if (owner.isEmpty())
        return nullptr;
    return std::unique_ptr<AutomationClient>(new AutomationClient(bus, owner, language));
}

AutomationClient::AutomationClient(QDBusConnection bus, QString owner, NameLanguage language)
    : m_bus(std::move(bus))
    , m_owner(std::move(owner))
    , m_nameLanguage(language)
    , m_language(NameLanguages::rawValue(language))
{
}

bool AutomationClient::ownerGone() const
{
    const QDBusReply<bool> registered = m_bus.interface()->isServiceRegistered(m_owner);
    return registered.isValid() && !registered.value();
}

ActionResult<QVariantList> AutomationClient::call(const QString &method, const QVariantList &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_owner, QString::fromLatin1(AutomationBus::objectPath),
                                                          QString::fromLatin1(AutomationBus::interfaceName), method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, callTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        // The bus's own words for a program that went away unanswered mean
        // nothing to a person.
        if (ownerGone())
            return ActionError::failure(LanguageTexts::text(
                m_nameLanguage, "AutomationClient",
                QT_TRANSLATE_NOOP("AutomationClient", "Filewright ended before it finished.")));
        return AutomationBus::fromError(reply.errorName(), reply.errorMessage());
    }
    return reply.arguments();
}

ActionResult<AutomationActions::CleanUpResult> AutomationClient::cleanUp(const QUuid &folder)
{
    return mapped<AutomationActions::CleanUpResult>(
        call(QStringLiteral("CleanUpFolderInLanguage"), {folder.toString(QUuid::WithoutBraces), m_language}),
        [](const QVariantList &values) {
            return AutomationActions::CleanUpResult{values.value(0).toInt(), values.value(1).toString()};
        });
}

ActionResult<RecognizedDocument> AutomationClient::recognize(const QString &path)
{
    // The path, not the file's bytes: a message on the bus carries far less
    // than a file may hold.
    return mapped<RecognizedDocument>(call(QStringLiteral("RecognizeFileAtInLanguage"), {path, m_language}),
                                      [](const QVariantList &values) {
        return RecognizedDocument::fromVariantMap(qdbus_cast<QVariantMap>(values.value(0)));
    });
}

ActionResult<QString> AutomationClient::exportReceipts(int year, int month)
{
    return mapped<QString>(call(QStringLiteral("ExportReceiptsInLanguage"), {year, month, m_language}),
                           [](const QVariantList &values) { return values.value(0).toString(); });
}

ActionResult<QList<FolderEntity>> AutomationClient::folders(const std::optional<QList<QUuid>> &ids)
{
    const auto entities = [](const QVariantList &values) { return qdbus_cast<QList<FolderEntity>>(values.value(0)); };
    if (!ids)
        return mapped<QList<FolderEntity>>(call(QStringLiteral("SuggestedFolders"), {}), entities);
    QStringList texts;
    for (const QUuid &id : *ids)
        texts.append(id.toString(QUuid::WithoutBraces));
    return mapped<QList<FolderEntity>>(call(QStringLiteral("FoldersForIds"), {texts}), entities);
}
