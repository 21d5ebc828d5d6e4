#include "ChildSignals.h"

#include <QObject>

void ChildSignals::stopReaching(QObject &receiver)
{
    const QList<QObject *> descendants = receiver.findChildren<QObject *>();
    for (QObject *child : descendants)
        QObject::disconnect(child, nullptr, &receiver, nullptr);
}
