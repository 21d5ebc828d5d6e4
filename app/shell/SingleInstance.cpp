#include "SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>

SingleInstance::SingleInstance(QObject *parent)
    : QObject(parent)
{
}

namespace {

SingleInstance::Claim claim(QObject *instance, QDBusConnectionInterface::ServiceQueueOptions queueing)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return SingleInstance::Claim::owned;
    // The object first, so that whoever finds the name finds the object.
    bus.registerObject(QString::fromLatin1(SingleInstance::objectPath), instance, QDBusConnection::ExportScriptableSlots);
    const QString name = QString::fromLatin1(SingleInstance::serviceName);
    const auto reply = bus.interface()->registerService(name, queueing, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return SingleInstance::Claim::owned;
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceQueued)
        return SingleInstance::Claim::queued;
    bus.unregisterObject(QString::fromLatin1(SingleInstance::objectPath));
    return SingleInstance::Claim::refused;
}

} // namespace

bool SingleInstance::registerAsPrimary()
{
    return claim(this, QDBusConnectionInterface::DontQueueService) == Claim::owned;
}

SingleInstance::Claim SingleInstance::queueForName()
{
    return claim(this, QDBusConnectionInterface::QueueService);
}

bool SingleInstance::waitForName(std::chrono::milliseconds patience) const
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    const QDeadlineTimer deadline(patience);
    while (true) {
        if (bus.interface()->serviceOwner(QString::fromLatin1(serviceName)).value() == bus.baseService())
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

bool SingleInstance::forwardToRunning(const QStringList &arguments)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
                                                       QStringLiteral("org.example.filewright.Application"),
                                                       QStringLiteral("activate"));
    call << arguments;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void SingleInstance::activate(const QStringList &arguments)
{
    Q_EMIT activationRequested(arguments);
}
