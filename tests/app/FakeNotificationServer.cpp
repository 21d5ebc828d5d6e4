#include "FakeNotificationServer.h"

#include "Notifier.h"

#include <QTest>
#include <QUuid>

FakeNotificationServer::FakeNotificationServer(QDBusConnection connection)
    : m_connection(connection)
    , m_start(QStringLiteral("start ") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    const bool registered = m_connection.registerObject(QString::fromUtf16(Notifier::objectPath), this,
                                                        QDBusConnection::ExportAllSlots)
        && m_connection.registerService(QString::fromUtf16(Notifier::service));
    if (!registered)
        return;
    // A notification posted before, to nobody or to an earlier server, may
    // still be on its way: the bus holds a call to the name while it starts
    // a server that the desktop offers for it, and hands it to the next
    // owner, this one. Posted on the same road as the program's, the start
    // comes after every such call; what comes before it is not taken.
    Notifier(m_connection).post(m_start, QString());
    m_ready = QTest::qWaitFor([this] { return m_started; }, 60'000);
}

FakeNotificationServer::~FakeNotificationServer()
{
    m_connection.unregisterService(QString::fromUtf16(Notifier::service));
    m_connection.unregisterObject(QString::fromUtf16(Notifier::objectPath));
}

uint FakeNotificationServer::Notify(const QString &appName, uint, const QString &appIcon, const QString &summary,
                                    const QString &body, const QStringList &, const QVariantMap &hints, int)
{
    if (!m_started) {
        m_started = summary == m_start;
        return 0;
    }
    m_shown.append(Shown{appName, appIcon, summary, body, hints});
    return uint(m_shown.size());
}
