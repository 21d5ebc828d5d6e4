#include "Updater.h"

#include "ExternalLink.h"

Updater::Updater(const QUrl &feed, bool testStore, QObject *parent)
    : QObject(parent)
    , m_feed(testStore ? QUrl() : feed)
{
    setCanCheck(isOn());
}

QUrl Updater::configuredFeed()
{
#ifdef FILEWRIGHT_UPDATE_FEED
    return QUrl(QStringLiteral(FILEWRIGHT_UPDATE_FEED));
#else
    return {};
#endif
}

void Updater::checkForUpdates()
{
    if (!isOn() || !m_canCheck)
        return;
    // Releases are announced on the feed's page; the browser shows it.
    ExternalLink::open(m_feed);
}

void Updater::setCanCheck(bool value)
{
    if (m_canCheck == value)
        return;
    m_canCheck = value;
    Q_EMIT canCheckChanged(value);
}
