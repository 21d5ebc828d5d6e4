#include "AutopilotFixture.h"

#include "FakeNotificationServer.h"
#include "Notifier.h"
#include "SampleDocumentFiles.h"

#include <QDBusConnection>

#include <functional>

// These run on a private session bus (see tests/CMakeLists.txt); on any
// other bus they would show their notifications on the desktop.
class AutopilotNotificationTest : public AutopilotFixture
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
            GTEST_SKIP() << "needs a private session bus";
        AutopilotFixture::SetUp();
        server = std::make_unique<FakeNotificationServer>();
        ASSERT_TRUE(server->isReady());
        // Notifications are never sent with a test store; this store is
        // opened by path, so the driver may act as it does for the user.
        testStore = qgetenv("APP_STORE");
        qunsetenv("APP_STORE");
    }

    void TearDown() override
    {
        if (!testStore.isEmpty())
            qputenv("APP_STORE", testStore);
        AutopilotFixture::TearDown();
    }

    bool waitForNotifications(int count)
    {
        return QTest::qWaitFor([&] { return server->shown().size() >= count; }, patienceMs);
    }

    std::unique_ptr<FakeNotificationServer> server;
    QByteArray testStore;
};

TEST_F(AutopilotNotificationTest, AReviewAsksToPleaseCheckAndAFilingSaysWhereTheFileWent)
{
    Autopilot &pilot = makeAutopilot(true);
    const WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    place(QStringLiteral("Documents"));
    addRule(byKind(QStringLiteral("Invoices"), QStringLiteral("invoice"), QStringLiteral("~/Documents/{absender}")), inbox.uuid);
    pilot.start();

    // Written elsewhere and moved in whole, as a finished download arrives.
    const auto arrive = [&](const QString &name, const std::function<void(const QString &)> &write) {
        const QString staged = storeDir.filePath(name);
        write(staged);
        return QFile::rename(staged, inbox.displayPath + QLatin1Char('/') + name);
    };
    const auto lines = [](const QStringList &text) {
        return [text](const QString &path) { SampleDocuments::textPDF(text, path); };
    };
    ASSERT_TRUE(arrive(QStringLiteral("unsure.pdf"), unsureInvoice));
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_EQ(server->shown().first().appName, QStringLiteral("Filewright"));
    EXPECT_EQ(server->shown().first().title, QStringLiteral("Please check"));
    EXPECT_EQ(server->shown().first().body, QStringLiteral("unsure.pdf is waiting for you in the journal."));

    ASSERT_TRUE(arrive(QStringLiteral("sure.pdf"),
                       lines({QStringLiteral("Nordlicht Hosting GmbH"), QStringLiteral("Rechnung"),
                              QStringLiteral("Rechnungsdatum: 12.10.2026"), QStringLiteral("Gesamtbetrag 12,34 €")})));
    ASSERT_TRUE(waitForNotifications(2));
    const FakeNotificationServer::Shown filed = server->shown().at(1);
    EXPECT_EQ(filed.title, Autopilot::summary(*store->journal().first().recognition()));
    EXPECT_TRUE(filed.title.contains(QStringLiteral("12")));
    EXPECT_EQ(filed.body, QStringLiteral("Filed as sure.pdf"));
    // Each tells the desktop whose it is, and nothing more.
    for (const FakeNotificationServer::Shown &shown : server->shown()) {
        EXPECT_EQ(shown.appIcon, QStringLiteral("filewright"));
        EXPECT_EQ(shown.hints, (QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("filewright")}}));
    }
}

TEST_F(AutopilotNotificationTest, NothingIsShownWhenNotificationsAreOffOrWithATestStore)
{
    Autopilot &pilot = makeAutopilot();
    setPref(Prefs::notifyKey, false);
    pilot.notify(QStringLiteral("off"), QStringLiteral("x"));
    setPref(Prefs::notifyKey, true);
    qputenv("APP_STORE", testStore);
    pilot.notify(QStringLiteral("test store"), QStringLiteral("x"));
    qunsetenv("APP_STORE");
    pilot.notify(QStringLiteral("shown"), QStringLiteral("x"));
    ASSERT_TRUE(waitForNotifications(1));
    QTest::qWait(100);
    ASSERT_EQ(server->shown().size(), 1);
    EXPECT_EQ(server->shown().first().title, QStringLiteral("shown"));

    // Without a server, or without a bus, posting just does nothing.
    server.reset();
    Notifier().post(QStringLiteral("nobody"), QStringLiteral("listens"));
    Notifier(QDBusConnection(QStringLiteral("no such connection"))).post(QStringLiteral("no"), QStringLiteral("bus"));
}

TEST_F(AutopilotNotificationTest, ALongNameIsCarriedWholeOnOneLine)
{
    Autopilot &pilot = makeAutopilot(true);
    const WatchedFolder inbox = watch(QStringLiteral("Inbox"));
    place(QStringLiteral("Documents"));
    addRule(byKind(QStringLiteral("Invoices"), QStringLiteral("invoice"), QStringLiteral("~/Documents")), inbox.uuid);
    pilot.start();

    // 200 characters with quotes and a newline, as a browser may save a download.
    const auto longName = [](const QString &start) {
        QString name = start + QStringLiteral(" \"Nordlicht\"\nzweite Zeile ");
        while (name.size() < 200 - 4)
            name.append(u'x');
        return name + QStringLiteral(".pdf");
    };
    const auto arrive = [&](const QString &name, const std::function<void(const QString &)> &write) {
        const QString staged = storeDir.filePath(QStringLiteral("staged.pdf"));
        write(staged);
        return QFile::rename(staged, inbox.displayPath + QLatin1Char('/') + name);
    };
    const QString unsure = longName(QStringLiteral("Unsicher"));
    ASSERT_EQ(unsure.size(), 200);
    ASSERT_TRUE(arrive(unsure, unsureInvoice));
    ASSERT_TRUE(waitForNotifications(1));
    QString shownName = unsure;
    shownName.replace(u'\n', QChar(0xFFFD));
    EXPECT_EQ(server->shown().first().body, shownName + QStringLiteral(" is waiting for you in the journal."));

    const QString sure = longName(QStringLiteral("Sicher"));
    ASSERT_TRUE(arrive(sure, [](const QString &path) {
        SampleDocuments::textPDF({QStringLiteral("Nordlicht Hosting GmbH"), QStringLiteral("Rechnung"),
                                  QStringLiteral("Rechnungsdatum: 12.10.2026"), QStringLiteral("Gesamtbetrag 12,34 €")},
                                 path);
    }));
    ASSERT_TRUE(waitForNotifications(2));
    shownName = sure;
    shownName.replace(u'\n', QChar(0xFFFD));
    EXPECT_EQ(server->shown().at(1).body, QStringLiteral("Filed as ") + shownName);
}
