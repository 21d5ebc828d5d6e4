// A notification server of the tests' own on the session bus: it takes the
// name org.freedesktop.Notifications and records what it is asked to show
// from its start on, nothing that was posted before it was made.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class FakeNotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        QString appName;
        QString appIcon;
        QString title;
        QString body;
        QVariantMap hints;
    };

    explicit FakeNotificationServer(QDBusConnection connection = QDBusConnection::sessionBus());
    ~FakeNotificationServer() override;

    // Whether the name and the object could be registered, and every call
    // posted before has been handed on or refused.
    bool isReady() const { return m_ready; }
    const QList<Shown> &shown() const { return m_shown; }

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout);

private:
    QDBusConnection m_connection;
    // The title of a notification the server posts itself at its start.
    const QString m_start;
    bool m_started = false;
    bool m_ready = false;
    QList<Shown> m_shown;
};
