// The automation actions on the session bus: one object of the running
// application, one method per action and the folder queries. An action's
// error comes back as an error reply carrying its message. Each action
// answers in the application's language, and in the language a caller names
// ("de", "en", "de-CH"…) through its sibling ending in "InLanguage".
#pragma once

#include "FolderEntity.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class AutomationActions;

class AutomationService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.example.filewright.Automation")
    // The store the actions work on, so that a command hands over only to
    // an application that works on its store.
    Q_PROPERTY(QString StorePath READ storePath)

public:
    AutomationService(AutomationActions &actions, QString storePath, QObject *parent = nullptr);

    // Offers the object on the bus; false when there is no bus or the path is taken.
    bool publish(QDBusConnection bus);

    QString storePath() const { return m_storePath; }

public Q_SLOTS:
    // The number of files handled, and the sentence that tells it.
    int CleanUpFolder(const QString &folder, QString &dialog);
    int CleanUpFolderInLanguage(const QString &folder, const QString &language, QString &dialog);
    QVariantMap RecognizeFile(const QString &name, const QByteArray &data);
    QVariantMap RecognizeFileInLanguage(const QString &name, const QByteArray &data, const QString &language);
    // The regular file at an absolute path, read where it lies.
    QVariantMap RecognizeFileAt(const QString &path);
    QVariantMap RecognizeFileAtInLanguage(const QString &path, const QString &language);
    // The archive's path.
    QString ExportReceipts(int year, int month);
    QString ExportReceiptsInLanguage(int year, int month, const QString &language);
    QList<FolderEntity> SuggestedFolders();
    QList<FolderEntity> FoldersForIds(const QStringList &ids);

private:
    // Answers the call being handled later, with the action's value or error.
    template<typename T, typename Reply>
    auto replyLater(Reply reply);
    void refuse(const QString &message);

    AutomationActions &m_actions;
    const QString m_storePath;
};
