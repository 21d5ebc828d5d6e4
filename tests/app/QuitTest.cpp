// Quit while a window or a command waits for a model server that takes a
// minute to answer: a rule drafted from a sentence (stopped first or not), a
// dry run, and a file a command handed over to read. The process ends within
// a few seconds, and a start right after it takes the session's name; a start
// made while it ends becomes the one instance. Quit's keys work from every
// sheet and window. An export stopped in the middle of a large file ends at
// once and leaves nothing behind.
#include "FakeModelServer.h"
#include "FileDescriptor.h"
#include "FullModelServer.h"
#include "TextExtractor.h"
#include "engine/TestDocuments.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <thread>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr auto service = "org.example.filewright.Filewright";
constexpr int minute = 60'000;
// How long a child may take from Quit to its end.
constexpr int quitPatience = 5'000;
#if defined(__SANITIZE_ADDRESS__)
// Under the sanitizers the recognition library takes about a second to free
// what it built for a page, stopped or not.
constexpr int pageFreedMs = 1'500;
#else
constexpr int pageFreedMs = 0;
#endif

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

// A model server whose models are listed at once and whose every answer
// comes after a minute.
void answerAfterAMinute(FakeModelServer &server)
{
    for (int i = 0; i < 4; ++i)
        server.queueChat({200, R"({"choices":[]})", false, minute});
}

// A child's own home, settings, store and model server.
QProcessEnvironment childEnvironment(const QTemporaryDir &work, const FakeModelServer &server)
{
    QProcessEnvironment environment = isolated(work);
    environment.insert(QStringLiteral("APP_STORE"), work.filePath(QStringLiteral("test.store")));
    environment.insert(QStringLiteral("APP_MODEL_URL"), server.baseUrl().toString());
    return environment;
}

// Tells the child to quit and waits for its end; false (the child killed)
// when it still runs after the quit's patience. What it printed is added.
bool quitsCleanly(QProcess &child, QString &printed)
{
    child.write("quit\n");
    QElapsedTimer quitting;
    quitting.start();
    const bool ended = child.waitForFinished(quitPatience);
    printed += QString::fromUtf8(child.readAll());
    EXPECT_TRUE(ended) << "still running " << quitting.elapsed() << " ms after Quit: " << printed.toStdString();
    if (!ended) {
        child.kill();
        child.waitForFinished();
        return false;
    }
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << printed.toStdString();
    return true;
}

// The files an export is writing below the folder: parts of archives.
QStringList partsBelow(const QString &folder)
{
    QStringList parts;
    QDirIterator found(folder, {QStringLiteral("*.part")}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (found.hasNext())
        parts.append(found.next());
    return parts;
}

// What the folder holds (of the names that match), one name a line.
std::string entriesOf(const QString &folder, const QString &pattern = QStringLiteral("*"))
{
    return QDir(folder)
        .entryList({pattern}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
        .join(u'\n')
        .toStdString();
}

// Tells when a file has been read through: its data read, and the file
// closed after that.
class ReadThrough
{
public:
    explicit ReadThrough(const QString &path) : m_queue(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(m_queue.get(), QFile::encodeName(path).constData(), IN_ACCESS | IN_CLOSE_NOWRITE);
    }

    // Waits for it; false when a minute passes first.
    bool wait()
    {
        bool read = false;
        return QTest::qWaitFor(
            [&] {
                alignas(inotify_event) char events[4096];
                const ssize_t length = ::read(m_queue.get(), events, sizeof events);
                for (ssize_t at = 0; at < length;) {
                    const auto *event = reinterpret_cast<const inotify_event *>(events + at);
                    if (event->mask & IN_ACCESS)
                        read = true;
                    else if (read && (event->mask & IN_CLOSE_NOWRITE))
                        return true;
                    at += ssize_t(sizeof(inotify_event)) + event->len;
                }
                return false;
            },
            minute);
    }

private:
    FileDescriptor m_queue;
};

// A scanned page of 2400 by 3400 pixels full of text, as a PNG; its text
// recognition takes seconds, most of them reading its lines.
QString largeScan(const QTemporaryDir &work, const QString &name)
{
    QStringList lines;
    for (int line = 0; line < 64; ++line)
        lines << QStringLiteral("Rechnung %1 vom 12.03.2024 Betrag %1,50 EUR Lieferung und Montage der Anlage in Halle %1")
                     .arg(1000 + line);
    const QString path = work.filePath(name);
    TestDocuments::textPicture(lines, 2400, 3400, 26).save(path);
    return path;
}

// A picture with a word on it, read at once as a photo: the model is not asked.
QString smallPicture(const QTemporaryDir &work)
{
    const QString path = work.filePath(QStringLiteral("small.png"));
    TestDocuments::textPicture({QStringLiteral("Hallo")}, 400, 120, 40).save(path);
    return path;
}

// Has the child's automation read the picture as a command asks it to, which
// loads a recognition engine on the thread that reads it.
void readByCommand(const QProcessEnvironment &environment, const QString &picture)
{
    QProcess command;
    command.setProcessEnvironment(environment);
    command.start(QStringLiteral(FILEWRIGHT_BINARY), {QStringLiteral("recognize"), picture});
    EXPECT_TRUE(command.waitForFinished(minute));
    EXPECT_EQ(command.exitCode(), 0) << command.readAllStandardError().toStdString();
}

// How long a child takes from Quit to its end with a recognition engine
// loaded but nothing in flight.
qint64 idleQuitMs()
{
    FakeModelServer server;
    QTemporaryDir work;
    const QProcessEnvironment environment = childEnvironment(work, server);
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD), {QStringLiteral("--automation")});
    EXPECT_TRUE(printed(child, "working")) << child.readAllStandardError().toStdString();
    readByCommand(environment, smallPicture(work));
    QElapsedTimer quitting;
    quitting.start();
    QString said;
    quitsCleanly(child, said);
    return quitting.elapsed();
}

// How long reading the scan takes here, on a thread whose recognition engine
// was loaded before. Laying out the page comes first and asks for no stop
// (a sixth of the time, two fifths under the sanitizers); half of it after
// its start a reading reads the page's lines, and a stop ends it at once.
qint64 warmReadingMs(const QString &scan)
{
    QTemporaryDir work;
    const QString small = smallPicture(work);
    qint64 took = 0;
    std::thread([&] {
        TextExtractor::text(small);
        QElapsedTimer reading;
        reading.start();
        TextExtractor::text(scan);
        took = reading.elapsed();
    }).join();
    return took;
}

} // namespace

// On a private session bus (see tests/CMakeLists.txt). The month's one
// receipt is a scan that is slow to read, as from a slow disk: a pause before
// every megabyte makes its copy take some sixteen seconds. The export is
// stopped at a random moment of that copy; it ends at once, and neither its
// part nor its private folder is left. A command or a call on the bus is
// told that Filewright was quit.
TEST(QuitWhileExporting, TheExportStopsInTheMiddleOfAFileAndLeavesNothing)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    enum class Road { windowQuit, commandQuit, busQuit, sheetCancel };
    const struct
    {
        Road road;
        const char *name;
        const char *mode;
    } cases[] = {
        {Road::windowQuit, "Quit during the receipts page's export", "--export=window"},
        {Road::commandQuit, "Quit during a command's export", "--export=automation"},
        {Road::busQuit, "Quit during an export called on the bus", "--export=automation"},
        {Road::sheetCancel, "Cancel on the export's sheet", "--export=sheet"},
    };
    const QString quitText = QStringLiteral("Filewright was quit before it finished.");
    for (const auto &[road, name, mode] : cases) {
        const int delay = int(QRandomGenerator::global()->bounded(1500));
        SCOPED_TRACE(std::string(name) + ", stopped " + std::to_string(delay) + " ms after the copy began");
        QTemporaryDir work;
        QProcessEnvironment environment = isolated(work);
        environment.insert(QStringLiteral("APP_STORE"), work.filePath(QStringLiteral("test.store")));
        environment.insert(QStringLiteral("APP_MODEL_URL"), QStringLiteral("http://127.0.0.1:9/v1"));
        const QString temporary = work.filePath(QStringLiteral("tmp"));
        const QString documents = work.filePath(QStringLiteral("home/Documents"));
        for (const QString &folder : {temporary, documents, work.filePath(QStringLiteral("home/Receipts"))})
            ASSERT_TRUE(QDir().mkpath(folder));
        environment.insert(QStringLiteral("TMPDIR"), temporary);
        environment.insert(QStringLiteral("FILEWRIGHT_READ_PAUSE_MS"), QStringLiteral("250"));
        // 64 megabytes, most of them a hole in the file.
        QFile scan(work.filePath(QStringLiteral("home/Receipts/scan.pdf")));
        ASSERT_TRUE(scan.open(QIODevice::WriteOnly) && scan.write("%PDF-1.4\n") > 0 && scan.resize(64 << 20));
        scan.close();

        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD), {QLatin1String(mode)});
        QString said;
        const auto says = [&child, &said](const QString &line, int patience) {
            return QTest::qWaitFor(
                       [&] {
                           said += QString::fromUtf8(child.readAllStandardOutput());
                           return said.contains(line + u'\n') || child.state() == QProcess::NotRunning;
                       },
                       patience)
                && said.contains(line + u'\n');
        };
        ASSERT_TRUE(says(QStringLiteral("working"), minute))
            << said.toStdString() << child.readAllStandardError().toStdString();
        QProcess command;
        command.setProcessEnvironment(environment);
        std::optional<QDBusPendingCall> call;
        if (road == Road::commandQuit)
            command.start(QStringLiteral(FILEWRIGHT_BINARY),
                          {QStringLiteral("export-receipts"), QStringLiteral("2026"), QStringLiteral("3")});
        if (road == Road::busQuit) {
            QDBusMessage message = QDBusMessage::createMethodCall(
                QLatin1String(service), QStringLiteral("/org/example/filewright/Automation"),
                QStringLiteral("org.example.filewright.Automation"), QStringLiteral("ExportReceipts"));
            message.setArguments({2026, 3});
            call = QDBusConnection::sessionBus().asyncCall(message, 2 * minute);
        }
        const bool fromThePage = road == Road::windowQuit || road == Road::sheetCancel;
        const QString exports = fromThePage ? documents : temporary;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !partsBelow(exports).isEmpty() || child.state() == QProcess::NotRunning; },
                                    minute))
            << child.readAllStandardError().toStdString() << command.readAllStandardError().toStdString();
        QTest::qWait(delay);
        ASSERT_EQ(child.state(), QProcess::Running);

        if (road == Road::sheetCancel) {
            child.write("cancel\n");
            ASSERT_TRUE(says(QStringLiteral("cancelled"), minute)) << said.toStdString();
            EXPECT_TRUE(says(QStringLiteral("export ended"), quitPatience)) << said.toStdString();
            EXPECT_EQ(entriesOf(documents), "");
        }
        if (!quitsCleanly(child, said))
            continue;
        EXPECT_EQ(entriesOf(documents), "");
        EXPECT_EQ(entriesOf(temporary, QStringLiteral("Filewright-export-*")), "");
        if (road == Road::commandQuit) {
            ASSERT_TRUE(command.waitForFinished(20'000));
            EXPECT_EQ(command.exitCode(), 1);
            EXPECT_EQ(QString::fromUtf8(command.readAllStandardError()).trimmed(), quitText);
        }
        if (road == Road::busQuit) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return call->isFinished(); }, 20'000));
            EXPECT_EQ(call->error().message(), quitText);
        }
    }
}

// On a private session bus (see tests/CMakeLists.txt).
TEST(QuitWhileWaiting, TheProcessEndsAtOnceAndTheNextStartTakesTheName)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    // A draft's request ends at its stop; a dry run's reading ends with the
    // recognition gate's stop at Quit, and one that still hangs is let go at
    // the end's one deadline.
    const struct
    {
        const char *mode;
        const char *name;
        // The server's queue of waiting connections is full once the draft
        // has found the model: its connection is neither taken nor refused.
        bool full = false;
    } cases[] = {
        {"--draft-stop", "--draft-stop"},
        {"--draft", "--draft"},
        {"--dry-run", "a dry run's reading waiting for the model"},
        {"--draft-stop", "a draft stopped while its connection waits for a server that takes none", true},
    };
    for (const auto &[mode, name, full] : cases) {
        SCOPED_TRACE(name);
        FakeModelServer server;
        answerAfterAMinute(server);
        // The program's own listing, then the draft's.
        FullModelServer fullServer(2);
        QTemporaryDir work;
        QProcessEnvironment environment = childEnvironment(work, server);
        if (full)
            environment.insert(QStringLiteral("APP_MODEL_URL"), fullServer.baseUrl().toString());

        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD), {QLatin1String(mode)});
        ASSERT_TRUE(child.waitForStarted());
        const auto asked = [&] { return full ? fullServer.isFull() : chatAsked(server); };
        ASSERT_TRUE(QTest::qWaitFor([&] { return asked() || child.state() == QProcess::NotRunning; }, minute))
            << child.readAll().toStdString();
        ASSERT_TRUE(asked()) << child.readAll().toStdString();
        ASSERT_EQ(nameOwner(), child.processId());
        // The draft goes on to connect to the server.
        if (full)
            QTest::qWait(500);

        QString printed;
        if (!quitsCleanly(child, printed))
            continue;
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

// Ctrl+Q pressed on the focused control of a sheet, or of a window while the
// main window is in the tray, quits as it does from the main window: the
// sheet closes as its Cancel closes it, nothing of it stored, and the
// process ends, a dry run waiting for the model included.
TEST(QuitKey, QuitsFromEverySheetAndWindow)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    struct Case
    {
        const char *where;
        int review; // entries waiting for review at the end
    };
    for (const Case &c : {Case{"editor", 0}, Case{"dry-run", 0}, Case{"review", 1}, Case{"palette", 0},
                          Case{"onboarding", 0}, Case{"settings", 0}, Case{"panel", 0}}) {
        SCOPED_TRACE(c.where);
        FakeModelServer server;
        answerAfterAMinute(server);
        QTemporaryDir work;
        QProcess child;
        child.setProcessEnvironment(childEnvironment(work, server));
        child.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD), {QStringLiteral("--key=") + QLatin1String(c.where)});
        ASSERT_TRUE(child.waitForStarted());
        QString printed;
        const auto ready = [&] {
            printed += QString::fromUtf8(child.readAll());
            return printed.contains(QLatin1String("ready\n")) || child.state() == QProcess::NotRunning;
        };
        ASSERT_TRUE(QTest::qWaitFor(ready, minute) && printed.contains(QLatin1String("ready\n")))
            << printed.toStdString();
        if (c.where == std::string_view("dry-run")) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return chatAsked(server); }, minute));
        }

        if (!quitsCleanly(child, printed))
            continue;
        EXPECT_TRUE(printed.endsWith(QStringLiteral("rules 0\nreview %1\nonboarded false\n").arg(c.review)))
            << printed.toStdString();
    }
}

// On a private session bus (see tests/CMakeLists.txt).
TEST(QuitWhileWaiting, ACommandsReadingEndsWithTheProgramAndTheCommandSaysSo)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    // Quit answers the command; a program killed goes away unanswered. The
    // model takes a minute, or its server takes no connection once the
    // command's reading has found the model.
    struct Case
    {
        bool quits;
        bool full;
        const char *told;
    };
    for (const auto &[quits, full, told] : {Case{true, false, "Filewright was quit before it finished."},
                                            Case{false, false, "Filewright ended before it finished."},
                                            Case{true, true, "Filewright was quit before it finished."}}) {
        SCOPED_TRACE(std::string(told) + (full ? " (no connection taken)" : ""));
        FakeModelServer server;
        answerAfterAMinute(server);
        // The program's own listing, then the command's.
        FullModelServer fullServer(2);
        QTemporaryDir work;
        QProcessEnvironment environment = isolated(work);
        environment.insert(QStringLiteral("APP_STORE"), work.filePath(QStringLiteral("test.store")));
        environment.insert(QStringLiteral("APP_MODEL_URL"), (full ? fullServer.baseUrl() : server.baseUrl()).toString());
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
        const auto asked = [&] { return full ? fullServer.isFull() : chatAsked(server); };
        ASSERT_TRUE(QTest::qWaitFor([&] { return asked() || command.state() == QProcess::NotRunning; }, minute));
        ASSERT_TRUE(asked()) << command.readAllStandardError().toStdString();
        // The reading goes on to connect to the server.
        if (full)
            QTest::qWait(500);

        QElapsedTimer quitting;
        quitting.start();
        if (quits)
            child.write("quit\n");
        else
            child.kill();
        const bool ended = child.waitForFinished(5'000);
        EXPECT_TRUE(ended) << "still running " << quitting.elapsed() << " ms after Quit";
        if (quits && ended) {
            EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        }
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

// On a private session bus (see tests/CMakeLists.txt).
TEST(QuitWhileWaiting, TheWindowAnswersAtOnceWithOneThreadInTheSharedPool)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    // With one CPU the shared pool has one thread, and Qt's painting waits
    // for that pool. Work that waits for the model or the disk holds a thread
    // of its own: a draft whose model never answers, the catalogue of
    // applications reading a desktop entry that is a named pipe nobody writes,
    // and a month's export beside them, which ends while they wait.
    constexpr int answerPatience = 5'000;
    const struct
    {
        const char *busy;
    } cases[] = {{"draft"}, {"catalogue"}, {"draft,catalogue,export"}};
    for (const auto &[name] : cases) {
        SCOPED_TRACE(name);
        const QString busy = QLatin1String(name);
        FakeModelServer server;
        for (int i = 0; i < 4; ++i)
            server.queueChat({200, {}, true});
        QTemporaryDir work;
        const QProcessEnvironment environment = childEnvironment(work, server);
        const QString applications = work.filePath(QStringLiteral("data/applications"));
        ASSERT_TRUE(QDir().mkpath(applications));
        const QByteArray pipe = QFile::encodeName(applications + QStringLiteral("/.entry"));
        ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
        ASSERT_TRUE(QFile::link(QStringLiteral(".entry"), applications + QStringLiteral("/stuck.desktop")));

        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD), {QStringLiteral("--busy=") + busy});
        ASSERT_TRUE(child.waitForStarted());
        QString output;
        const auto said = [&](const char *line, int patience) {
            const QString wanted = QLatin1String(line) + u'\n';
            (void)QTest::qWaitFor(
                [&] {
                    output += QString::fromUtf8(child.readAllStandardOutput());
                    return output.contains(wanted) || child.state() == QProcess::NotRunning;
                },
                patience);
            return output.contains(wanted);
        };
        ASSERT_TRUE(said("working", minute)) << output.toStdString();
        if (busy.contains(QLatin1String("draft"))) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return chatAsked(server); }, minute));
        }
        if (busy.contains(QLatin1String("export"))) {
            EXPECT_TRUE(said("exported", answerPatience)) << output.toStdString();
        }

        QElapsedTimer answering;
        answering.start();
        child.write("paint and stop\n");
        const bool answered = said("answered", answerPatience);
        std::cout << "[ figures  ] " << name << ": painted and stopped after " << answering.elapsed() << " ms\n";
        EXPECT_TRUE(answered) << "no answer " << answering.elapsed() << " ms after the line: " << output.toStdString();
        EXPECT_FALSE(output.contains(QLatin1String("still drafting"))) << output.toStdString();
        if (!answered) {
            end(child);
            continue;
        }
        QElapsedTimer quitting;
        quitting.start();
        quitsCleanly(child, output);
        std::cout << "[ figures  ] " << name << ": ended " << quitting.elapsed() << " ms after Quit\n";
    }
}

// On a private session bus (see tests/CMakeLists.txt).
TEST(QuitWhileWaiting, TheEndWaitsOnceAndNoTextRecognitionRunsOnPastIt)
{
    if (qEnvironmentVariableIsEmpty("FILEWRIGHT_PRIVATE_BUS"))
        GTEST_SKIP() << "needs a private session bus";
    // Quit while a command's large scan is being read, alone or with the
    // automation driver reading another and a dry run waiting for the model:
    // the readings stop, the end waits for them only once, and the process
    // is gone in time, the recognition library having said nothing. The
    // time is counted beyond that of a Quit with nothing in flight.
    struct Case
    {
        const char *name;
        bool driverToo;
        int patienceMs; // beyond an idle Quit
    };
    QTemporaryDir reference;
    const qint64 readingMs = warmReadingMs(largeScan(reference, QStringLiteral("scan.png")));
    const qint64 idleMs = idleQuitMs();
    for (const auto &[name, driverToo, patienceMs] :
         {Case{"a command's scan being read", false, 700},
          Case{"a command's scan and the driver's being read, a dry run waiting", true, 1200}}) {
        SCOPED_TRACE(name);
        FakeModelServer server;
        answerAfterAMinute(server);
        QTemporaryDir work;
        const QProcessEnvironment environment = childEnvironment(work, server);
        const QString scan = largeScan(work, QStringLiteral("scan.png"));
        const QString driverScan = driverToo ? largeScan(work, QStringLiteral("driver-scan.png")) : QString();
        const QString small = smallPicture(work);
        ReadThrough scanRead(scan);

        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QStringLiteral(FILEWRIGHT_QUIT_CHILD),
                    {QLatin1String(driverToo ? "--all-waiting" : "--automation")});
        ASSERT_TRUE(printed(child, "working")) << child.readAllStandardError().toStdString();
        // The readings' threads have their engines loaded before: loading
        // one asks for no stop either.
        if (driverToo) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return chatAsked(server); }, minute));
            child.write("read " + QFile::encodeName(small) + "\n");
            ASSERT_TRUE(printed(child, "read"));
        }
        readByCommand(environment, small);

        QProcess command;
        command.setProcessEnvironment(environment);
        command.start(QStringLiteral(FILEWRIGHT_BINARY), {QStringLiteral("recognize"), scan});
        // Each picture is decoded once its text recognition is under way.
        ASSERT_TRUE(scanRead.wait()) << command.readAllStandardError().toStdString();
        if (driverToo) {
            ReadThrough driverRead(driverScan);
            child.write("read " + QFile::encodeName(driverScan) + "\n");
            ASSERT_TRUE(driverRead.wait());
        }
        QTest::qWait(int(readingMs / 2));

        QElapsedTimer quitting;
        quitting.start();
        QString said;
        const bool ended = quitsCleanly(child, said);
        const qint64 took = quitting.elapsed();
        std::cout << "[ measured ] " << name << ": ended " << took << " ms after Quit, an idle Quit " << idleMs
                  << " ms" << std::endl;
        if (ended) {
            EXPECT_LT(took, idleMs + pageFreedMs + patienceMs);
        }
        const QString library = QString::fromUtf8(child.readAllStandardError());
        EXPECT_FALSE(library.contains(QLatin1String("ObjectCache")) || library.contains(QLatin1String("traineddata")))
            << library.toStdString();
        ASSERT_TRUE(command.waitForFinished(20'000));
        EXPECT_EQ(QString::fromUtf8(command.readAllStandardError()).trimmed().toStdString(),
                  "Filewright was quit before it finished.");
        end(command);
    }
}
