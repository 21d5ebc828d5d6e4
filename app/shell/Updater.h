// Checks for updates where the build names an update feed. The default build
// names none: the updater stays off and "Check for Updates…" stays disabled.
#pragma once

#include <QObject>
#include <QUrl>

class Updater : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool canCheck READ canCheck NOTIFY canCheckChanged)

public:
    // The feed comes from the build option FILEWRIGHT_UPDATE_FEED; a test store
    // keeps the updater off whatever the build says.
    explicit Updater(const QUrl &feed, bool testStore, QObject *parent = nullptr);

    static QUrl configuredFeed();

    bool isOn() const { return m_feed.isValid() && !m_feed.isEmpty(); }
    bool canCheck() const { return m_canCheck; }

public Q_SLOTS:
    void checkForUpdates();

Q_SIGNALS:
    void canCheckChanged(bool canCheck);

private:
    void setCanCheck(bool value);

    QUrl m_feed;
    bool m_canCheck = false;
};
