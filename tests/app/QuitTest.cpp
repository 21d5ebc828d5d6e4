// Quit while a window or a command waits for a model server that takes a
// minute to answer: a rule drafted from a sentence (stopped first or not), a
// dry run, and a file a command handed over to read. The process ends within
// a few seconds, and a start right after it takes the session's name; a start
// made while it ends becomes the one instance.
#include "FakeModelServer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
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

// The environment of a process of the test's own, in a folder of its own.
QProcessEnvironment isolated(const QTemporaryDir &work)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *folder : {"home", "config", "data", "runtime"}) {
        QDir(work.path()).mkpath(QLatin1String(folder));
        QFile::setPermissions(work.filePath(QLatin1String(folder)),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    environment.insert(QStringLiteral("HOME"), work.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.remove(QStringLiteral("APP_STORE"));
    return environment;
}

// Waits for the child to print the line; false when it ends or a minute passes first.
bool printed(QProcess &child, const QByteArray &line)
{
    QByteArray seen;
    return QTest::qWaitFor(
        [&] {
            seen += child.readAllStandardOutput();
            return seen.contains(line + '\n') || child.state() == QProcess::NotRunning;
        },
        minute)
        && seen.contains(line + '\n');
}

// Ends a process the test started, if it still runs.
void end(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10'000)) {
        process.kill();
        process.waitForFinished();
    }
}

} // namespace

// On a private session bus (see tests/CMakeLists.txt).
TEST(QuitWhileWaiting, TheProcessEndsAtOnceAndTheNextStartTakesTheName)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    for (const char *mode : {"--draft-stop", "--draft", "--dry-run"}) {
        SCOPED_TRACE(mode);
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

// On a private session bus (see tests/CMakeLists.txt).
TEST(QuitWhileWaiting, ACommandsReadingEndsWithTheProgramAndTheCommandSaysSo)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    // Quit answers the command; a program killed goes away unanswered.
    for (const auto &[quits, told] :
         {std::pair{true, "Filewright was quit before it finished."}, std::pair{false, "Filewright ended before it finished."}}) {
        SCOPED_TRACE(told);
        FakeModelServer server;
        for (int i = 0; i < 4; ++i)
            server.queueChat({200, R"({"choices":[]})", false, minute});
        QTemporaryDir work;
        QProcessEnvironment environment = isolated(work);
        environment.insert(QStringLiteral("APP_STORE"), work.filePath(QStringLiteral("test.store")));
        environment.insert(QStringLiteral("APP_MODEL_URL"), server.baseUrl().toString());
        const QString invoice = work.filePath(QStringLiteral("invoice.txt"));
        QFile document(invoice);
        ASSERT_TRUE(document.open(QIODevice::WriteOnly));
        document.write("Invoice 42\nTotal 12.50 EUR\n");
        document.close();

        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD), {QStringLiteral("--automation")});
        ASSERT_TRUE(printed(child, "working")) << child.readAllStandardError().toStdString();
        QProcess command;
        command.setProcessEnvironment(environment);
        command.start(QStringLiteral(FILEWRIGHT_BINARY), {QStringLiteral("recognize"), invoice});
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return chatAsked(server) || command.state() == QProcess::NotRunning; }, minute));
        ASSERT_TRUE(chatAsked(server)) << command.readAllStandardError().toStdString();

        QElapsedTimer quitting;
        quitting.start();
        if (quits)
            child.write("quit\n");
        else
            child.kill();
        const bool ended = child.waitForFinished(5'000);
        EXPECT_TRUE(ended) << "still running " << quitting.elapsed() << " ms after Quit";
        if (quits && ended)
            EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        end(child);
        ASSERT_TRUE(command.waitForFinished(20'000));
        EXPECT_EQ(command.exitCode(), 1);
        EXPECT_EQ(QString::fromUtf8(command.readAllStandardError()).trimmed().toStdString(), told);
        EXPECT_TRUE(command.readAllStandardOutput().isEmpty());
    }
}

// On a private session bus (see tests/CMakeLists.txt).
TEST(QuitWhileWaiting, AStartWhileFilewrightEndsBecomesTheOneInstance)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    QTemporaryDir work;
    const QProcessEnvironment environment = isolated(work);

    // Holds the store and the name, gives up the store and ends seconds later.
    QProcess ending;
    ending.setProcessEnvironment(environment);
    ending.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD), {QStringLiteral("--end-slowly")});
    ASSERT_TRUE(printed(ending, "ready")) << ending.readAllStandardError().toStdString();
    ASSERT_EQ(nameOwner(), ending.processId());
    ending.write("end\n");
    ASSERT_TRUE(printed(ending, "store released"));

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(FILEWRIGHT_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(ending.waitForFinished(minute));
    EXPECT_TRUE(QTest::qWaitFor([&] { return nameOwner() == first.processId(); }, 10'000))
        << first.readAllStandardError().toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);

    // A further start hands over to it, and a command reaches it.
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(FILEWRIGHT_BINARY), {});
    EXPECT_TRUE(second.waitForFinished(20'000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    end(second);
    QProcess folders;
    folders.setProcessEnvironment(environment);
    folders.start(QStringLiteral(FILEWRIGHT_BINARY), {QStringLiteral("folders")});
    EXPECT_TRUE(folders.waitForFinished(20'000));
    EXPECT_EQ(folders.exitCode(), 0) << folders.readAllStandardError().toStdString();
    end(folders);
    end(first);
}
