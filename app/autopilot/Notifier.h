// Desktop notifications: org.freedesktop.Notifications on the session bus.
// Posting never waits and never fails: without a bus or a notification
// server nothing is shown.
#pragma once

#include <QDBusConnection>
#include <QString>

class Notifier
{
public:
    static constexpr char16_t service[] = u"org.freedesktop.Notifications";
    static constexpr char16_t objectPath[] = u"/org/freedesktop/Notifications";

    // The session bus unless another connection is given.
    Notifier();
    explicit Notifier(const QDBusConnection &connection);

    // Shows a notification with a title and a plain-text body at once.
    void post(const QString &title, const QString &body) const;

private:
    QDBusConnection m_connection;
};
