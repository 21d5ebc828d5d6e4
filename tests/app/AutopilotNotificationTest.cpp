#include "AutopilotFixture.h"

#include "FakeNotificationServer.h"
#include "Notifier.h"
#include "SampleDocumentFiles.h"

#include <QDBusConnection>

namespace {

using Field = Condition::Field;
using Op = Condition::Operator;
using Kind = RuleAction::Kind;

} // namespace

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
        ASSERT_TRUE(server->isRegistered());
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
    addRule(rule(QStringLiteral("Invoices"), {condition(Field::kind, Op::is, QStringLiteral("invoice"))},
                 {action(Kind::move, QStringLiteral("~/Documents/{absender}"))}),
            inbox.uuid);
    pilot.start();

    const QString staging = storeDir.filePath(QStringLiteral("staging"));
    QDir().mkpath(staging);
    SampleDocuments::textPDF({QStringLiteral("Rechnung"), QStringLiteral("Betrag 12,00 EUR")}, staging + QStringLiteral("/unsure.pdf"));
    SampleDocuments::textPDF({QStringLiteral("Nordlicht Hosting GmbH"), QStringLiteral("Rechnung"),
                              QStringLiteral("Rechnungsdatum: 12.10.2026"), QStringLiteral("Gesamtbetrag 12,34 €")},
                             staging + QStringLiteral("/sure.pdf"));
    ASSERT_TRUE(QFile::rename(staging + QStringLiteral("/unsure.pdf"), inbox.displayPath + QStringLiteral("/unsure.pdf")));
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_EQ(server->shown().first().appName, QStringLiteral("Filewright"));
    EXPECT_EQ(server->shown().first().title, QStringLiteral("Please check"));
    EXPECT_EQ(server->shown().first().body, QStringLiteral("unsure.pdf is waiting for you in the journal."));

    ASSERT_TRUE(QFile::rename(staging + QStringLiteral("/sure.pdf"), inbox.displayPath + QStringLiteral("/sure.pdf")));
    ASSERT_TRUE(waitForNotifications(2));
    const FakeNotificationServer::Shown filed = server->shown().at(1);
    EXPECT_EQ(filed.title, Autopilot::summary(*store->journal().first().recognition()));
    EXPECT_TRUE(filed.title.contains(QStringLiteral("12")));
    EXPECT_EQ(filed.body, QStringLiteral("Filed as sure.pdf"));
}

TEST_F(AutopilotNotificationTest, NothingIsShownWhenNotificationsAreOffOrWithATestStore)
{
    Autopilot &pilot = makeAutopilot();
    Prefs::setValue(QString::fromUtf16(Prefs::notifyKey), false);
    pilot.notify(QStringLiteral("off"), QStringLiteral("x"));
    Prefs::setValue(QString::fromUtf16(Prefs::notifyKey), true);
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
