#include "AutomationService.h"

#include "AutomationActions.h"
#include "AutomationBus.h"
#include "LanguageTexts.h"
#include "Prefs.h"

#include <QDBusMessage>
#include <QUuid>

AutomationService::AutomationService(AutomationActions &actions, QString storePath, QObject *parent)
    : QObject(parent)
    , m_actions(actions)
    , m_storePath(std::move(storePath))
{
    AutomationBus::registerTypes();
}

bool AutomationService::publish(QDBusConnection bus)
{
    return bus.isConnected()
        && bus.registerObject(QString::fromLatin1(AutomationBus::objectPath), this,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
}

template<typename T, typename Reply>
auto AutomationService::replyLater(Reply reply)
{
    setDelayedReply(true);
    return [bus = connection(), call = message(), reply = std::move(reply)](const ActionResult<T> &result) {
        if (const auto *error = std::get_if<ActionError>(&result))
            bus.send(call.createErrorReply(AutomationBus::errorName(*error), error->message));
        else
            bus.send(call.createReply(reply(std::get<T>(result))));
    };
}

void AutomationService::refuse(const QString &message)
{
    sendErrorReply(QDBusError::InvalidArgs, message);
}

namespace {

// The application's own language, as a caller would name it.
QString ownLanguage()
{
    return NameLanguages::rawValue(Prefs::sentenceLanguage());
}

// The language a caller named: the first Filewright speaks, else English.
NameLanguage asked(const QString &language)
{
    return Prefs::sentenceLanguage(QStringList{language});
}

QString say(NameLanguage language, const char *source)
{
    return LanguageTexts::text(language, "AutomationService", source);
}

} // namespace

int AutomationService::CleanUpFolder(const QString &folder, QString &dialog)
{
    return CleanUpFolderInLanguage(folder, ownLanguage(), dialog);
}

int AutomationService::CleanUpFolderInLanguage(const QString &folder, const QString &language, QString &dialog)
{
    Q_UNUSED(dialog)
    const QUuid id = QUuid::fromString(folder);
    if (id.isNull()) {
        refuse(say(asked(language), QT_TRANSLATE_NOOP("AutomationService", "%1 is not a folder id.")).arg(folder));
        return 0;
    }
    m_actions.cleanUp(id, asked(language),
                      replyLater<AutomationActions::CleanUpResult>([](const AutomationActions::CleanUpResult &done) {
                          return QVariantList{done.count, done.dialog};
                      }));
    return 0;
}

QVariantMap AutomationService::RecognizeFile(const QString &name, const QByteArray &data)
{
    return RecognizeFileInLanguage(name, data, ownLanguage());
}

QVariantMap AutomationService::RecognizeFileInLanguage(const QString &name, const QByteArray &data,
                                                       const QString &language)
{
    m_actions.recognize(name, data, asked(language),
                        replyLater<RecognizedDocument>([](const RecognizedDocument &document) {
                            return QVariantList{document.toVariantMap()};
                        }));
    return {};
}

QVariantMap AutomationService::RecognizeFileAt(const QString &path)
{
    return RecognizeFileAtInLanguage(path, ownLanguage());
}

QVariantMap AutomationService::RecognizeFileAtInLanguage(const QString &path, const QString &language)
{
    m_actions.recognizeFile(path, asked(language),
                            replyLater<RecognizedDocument>([](const RecognizedDocument &document) {
                                return QVariantList{document.toVariantMap()};
                            }));
    return {};
}

QString AutomationService::ExportReceipts(int year, int month)
{
    return ExportReceiptsInLanguage(year, month, ownLanguage());
}

QString AutomationService::ExportReceiptsInLanguage(int year, int month, const QString &language)
{
    if (!AutomationActions::isValidYear(year) || !AutomationActions::isValidMonth(month)) {
        refuse(say(asked(language),
                   QT_TRANSLATE_NOOP("AutomationService",
                                     "The year must lie between %1 and %2 and the month between 1 and 12."))
                   .arg(AutomationActions::firstYear)
                   .arg(AutomationActions::lastYear));
        return {};
    }
    m_actions.exportReceipts(year, month, asked(language), replyLater<QString>([](const QString &archive) {
        return QVariantList{archive};
    }));
    return {};
}

QList<FolderEntity> AutomationService::SuggestedFolders()
{
    return m_actions.folders().suggestedEntities();
}

QList<FolderEntity> AutomationService::FoldersForIds(const QStringList &ids)
{
    QList<QUuid> uuids;
    for (const QString &id : ids)
        uuids.append(QUuid::fromString(id));
    return m_actions.folders().entities(uuids);
}
