// Filewright runs once per user session. The first process takes a unique
// name on the session bus; a later start asks it to show its main window (and
// to run the command it was started with) and then ends.
#pragma once

#include "AutomationBus.h"

#include <QObject>
#include <QStringList>

#include <chrono>

class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.example.filewright.Application")

public:
    static constexpr const char *serviceName = AutomationBus::serviceName;
    static constexpr const char *objectPath = "/org/example/filewright";

    explicit SingleInstance(QObject *parent = nullptr);

    // Registers the name. False when another process holds it already (then
    // forwardToRunning() hands this start over). No session bus counts as
    // being the only instance.
    bool registerAsPrimary();

    enum class Claim { owned, queued, refused };
    // Registers the name, or queues for it behind the process holding it:
    // the name comes to this process when that one lets it go. No session
    // bus counts as owning it.
    Claim queueForName();
    // Waits until this process owns the name; false when patience ran out.
    bool waitForName(std::chrono::milliseconds patience) const;

    // Asks the running instance to activate with these arguments; true when it answered.
    static bool forwardToRunning(const QStringList &arguments);

public Q_SLOTS:
    // Called over D-Bus by a second start.
    Q_SCRIPTABLE void activate(const QStringList &arguments);

Q_SIGNALS:
    void activationRequested(const QStringList &arguments);
};
