#include "Notifier.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace {

constexpr int serverDecidesTimeout = -1;

} // namespace

Notifier::Notifier()
    : Notifier(QDBusConnection::sessionBus())
{
}

Notifier::Notifier(const QDBusConnection &connection)
    : m_connection(connection)
{
}

void Notifier::post(const QString &title, const QString &body) const
{
    if (!m_connection.isConnected())
        return;
    QDBusMessage message = QDBusMessage::createMethodCall(QString::fromUtf16(service), QString::fromUtf16(objectPath),
                                                          QString::fromUtf16(service), QStringLiteral("Notify"));
    // A new notification each time (no id to replace), no actions. The icon
    // and the desktop entry's name let the desktop show it as Filewright's.
    const QString identity = QStringLiteral("filewright");
    message << QStringLiteral("Filewright") << uint(0) << identity << title << body << QStringList()
            << QVariantMap{{QStringLiteral("desktop-entry"), identity}} << serverDecidesTimeout;
    // Nobody waits for the answer; without a server the call just fails.
    m_connection.send(message);
}
