#include "FakeNotificationServer.h"

#include "Notifier.h"

FakeNotificationServer::FakeNotificationServer(QDBusConnection connection)
    : m_connection(connection)
{
    m_registered = m_connection.registerObject(QString::fromUtf16(Notifier::objectPath), this,
                                               QDBusConnection::ExportAllSlots)
        && m_connection.registerService(QString::fromUtf16(Notifier::service));
}

FakeNotificationServer::~FakeNotificationServer()
{
    m_connection.unregisterService(QString::fromUtf16(Notifier::service));
    m_connection.unregisterObject(QString::fromUtf16(Notifier::objectPath));
}

uint FakeNotificationServer::Notify(const QString &appName, uint, const QString &appIcon, const QString &summary,
                                    const QString &body, const QStringList &, const QVariantMap &hints, int)
{
    m_shown.append(Shown{appName, appIcon, summary, body, hints});
    return uint(m_shown.size());
}
