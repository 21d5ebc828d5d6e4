// Quit while a window waits for a model server that takes a minute to
// answer: a rule drafted from a sentence (stopped first or not) and a dry
// run. The process ends within a few seconds, and a start right after it
// takes the session's name.
#include "FakeModelServer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

constexpr auto service = "org.example.filewright.Filewright";
constexpr int minute = 60'000;

bool chatAsked(const FakeModelServer &server)
{
    const QList<FakeModelServer::Request> requests = server.requests();
    return std::any_of(requests.begin(), requests.end(),
                       [](const FakeModelServer::Request &request) { return request.path == "/v1/chat/completions"; });
}

std::optional<qint64> nameOwner()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus->isServiceRegistered(QLatin1String(service)).value())
        return std::nullopt;
    return qint64(bus->servicePid(QLatin1String(service)).value());
}

} // namespace

// On a private session bus (see tests/CMakeLists.txt).
TEST(QuitWhileWaiting, TheProcessEndsAtOnceAndTheNextStartTakesTheName)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    // A draft's request ends at its stop. A dry run's reading does not stop:
    // what ends it is the recognition gate, which waits a second for its
    // readings at the end and then leaves one that hangs behind.
    const struct
    {
        const char *mode;
        const char *name;
    } cases[] = {
        {"--draft-stop", "--draft-stop"},
        {"--draft", "--draft"},
        {"--dry-run", "a dry run's hanging reading, left behind by the recognition gate after its second"},
    };
    for (const auto &[mode, name] : cases) {
        SCOPED_TRACE(name);
        FakeModelServer server;
        // The models are listed at once; every question is answered after a minute.
        for (int i = 0; i < 4; ++i)
            server.queueChat({200, R"({"choices":[]})", false, minute});
        QTemporaryDir work;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *folder : {"home", "config", "data", "runtime"}) {
            ASSERT_TRUE(QDir(work.path()).mkpath(QLatin1String(folder)));
            QFile::setPermissions(work.filePath(QLatin1String(folder)),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        environment.insert(QStringLiteral("HOME"), work.filePath(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.filePath(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("APP_STORE"), work.filePath(QStringLiteral("test.store")));
        environment.insert(QStringLiteral("APP_MODEL_URL"), server.baseUrl().toString());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD), {QLatin1String(mode)});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([&] { return chatAsked(server) || child.state() == QProcess::NotRunning; }, minute))
            << child.readAll().toStdString();
        ASSERT_TRUE(chatAsked(server)) << child.readAll().toStdString();
        ASSERT_EQ(nameOwner(), child.processId());

        child.write("quit\n");
        QElapsedTimer quitting;
        quitting.start();
        const bool ended = child.waitForFinished(5'000);
        const QString printed = QString::fromUtf8(child.readAll());
        EXPECT_TRUE(ended) << "still running " << quitting.elapsed() << " ms after Quit: " << printed.toStdString();
        if (!ended) {
            child.kill();
            child.waitForFinished();
            continue;
        }
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << printed.toStdString();
        EXPECT_FALSE(printed.contains(QLatin1String("still drafting"))) << printed.toStdString();

        // A start right after finds the store free and takes the name.
        QProcess next;
        next.setProcessEnvironment(environment);
        next.start(QStringLiteral(FILEWRIGHT_BINARY), {});
        ASSERT_TRUE(next.waitForStarted());
        EXPECT_TRUE(QTest::qWaitFor([&] { return nameOwner() == next.processId(); }, 20'000))
            << next.readAllStandardError().toStdString();
        next.terminate();
        EXPECT_TRUE(next.waitForFinished(10'000));
    }
}
