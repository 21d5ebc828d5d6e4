// The installed applications that an "Open with" action can name, read from
// their desktop entries on a worker thread once per editor.
#pragma once

#include "ApplicationLauncher.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>

class ApplicationCatalog : public QObject
{
    Q_OBJECT

public:
    explicit ApplicationCatalog(QObject *parent = nullptr);

    bool isLoaded() const { return m_loaded; }
    // Empty until loaded.
    const QList<ApplicationLauncher::InstalledApplication> &applications() const { return m_applications; }

Q_SIGNALS:
    void loaded();

private:
    QFutureWatcher<QList<ApplicationLauncher::InstalledApplication>> m_watcher;
    QList<ApplicationLauncher::InstalledApplication> m_applications;
    bool m_loaded = false;
};
