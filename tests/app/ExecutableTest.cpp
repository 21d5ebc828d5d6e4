// The filewright executable as a user starts it.
#include "TestSupport.h"

#include <QProcess>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
QProcess *start(QProcess &process, const QString &store, const QStringList &arguments = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("APP_STORE"), store);
    // A self-test asked for is refused without it, and so tells itself apart.
    environment.remove(QStringLiteral("APP_HOME"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(FILEWRIGHT_BINARY), arguments);
    return &process;
}

struct Ended
{
    int code = -1;
    QString out;
    QString err;
};

// Runs the executable to its end; a process still running after a while is
// the application, started, and ends with -1.
Ended runToEnd(const QString &store, const QStringList &arguments)
{
    QProcess process;
    start(process, store, arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
    }
    return Ended{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                 QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}
} // namespace

TEST(Executable, AStoreThatCannotBeOpenedEndsTheProcessAndStaysUntouched)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("broken.store"));
    const QByteArray garbage(4096, 'x');
    ASSERT_TRUE(TestSupport::writeFile(store, garbage));
    QProcess process;
    start(process, store);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_NE(process.exitCode(), 0);
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    EXPECT_TRUE(errors.contains(QStringLiteral("Could not open the database at ") + store + QStringLiteral(": ")))
        << errors.toStdString();
    EXPECT_EQ(TestSupport::readFile(store), garbage);
}

TEST(Executable, StartsAndRunsUntilQuit)
{
    QTemporaryDir dir;
    QProcess process;
    start(process, dir.filePath(QStringLiteral("fresh.store")));
    ASSERT_TRUE(process.waitForStarted(10000));
    // Still running after its start-up: it shows its window and waits.
    EXPECT_FALSE(process.waitForFinished(1500));
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(10000));
}

TEST(Executable, HelpListsTheCommandsAndAnUnknownCommandIsRefused)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("help.store"));
    const auto run = [&store](const QStringList &arguments) {
        const Ended ended = runToEnd(store, arguments);
        return std::tuple{ended.code, ended.out, ended.err};
    };
    const QStringList listed{QStringLiteral("\n  folders [FOLDER-ID...] "), QStringLiteral("\n  clean-up FOLDER-ID "),
                             QStringLiteral("\n  recognize FILE "), QStringLiteral("\n  export-receipts YEAR MONTH "),
                             QStringLiteral("\n  help ")};
    for (const QString &asking : {QStringLiteral("--help"), QStringLiteral("-h"), QStringLiteral("help")}) {
        const auto [code, out, err] = run({asking});
        EXPECT_EQ(code, 0) << asking.toStdString();
        EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: filewright "))) << out.toStdString();
        for (const QString &line : listed)
            EXPECT_TRUE(out.contains(line)) << line.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("Usage"))) << err.toStdString();
    }
    // A mistyped command: the usage goes to standard error, as for a wrong
    // argument to a known command.
    const auto [code, out, err] = run({QStringLiteral("recognise"), dir.filePath(QStringLiteral("x.pdf"))});
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(out.isEmpty()) << out.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("\"recognise\" is not a Filewright command.\n\nUsage: filewright ")))
        << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(store));
}

TEST(Executable, EachCommandsHelpSaysWhatItDoesInASentence)
{
    QTemporaryDir dir;
    for (const char *command : {"folders", "clean-up", "recognize", "export-receipts"}) {
        const Ended ended = runToEnd(dir.filePath(QStringLiteral("help.store")), {QLatin1String(command), QStringLiteral("--help")});
        EXPECT_EQ(ended.code, 0) << command;
        const QStringList lines = ended.out.split(u'\n');
        ASSERT_GT(lines.size(), 3) << command;
        EXPECT_TRUE(lines.at(0).startsWith(QStringLiteral("Usage: filewright %1 ").arg(QLatin1String(command))));
        EXPECT_TRUE(lines.at(1).isEmpty());
        // A whole sentence, not a heading.
        EXPECT_TRUE(lines.at(2).endsWith(u'.')) << lines.at(2).toStdString();
        EXPECT_GT(lines.at(2).count(u' '), 4) << lines.at(2).toStdString();
    }
}

TEST(Executable, OptionsItDoesNotTakeAreRefusedAndQtsOwnStartTheApplication)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("options.store"));
    const struct
    {
        QStringList arguments;
        QString refusal;
    } refused[] = {
        {{QStringLiteral("--bogus")}, QStringLiteral("\"--bogus\" is not a Filewright option.")},
        {{QStringLiteral("-x")}, QStringLiteral("\"-x\" is not a Filewright option.")},
        {{QStringLiteral("--json"), QStringLiteral("folders")}, QStringLiteral("\"--json\" is not a Filewright option.")},
        {{QStringLiteral("--selftest"), QStringLiteral("--bogus")}, QStringLiteral("\"--bogus\" is not a Filewright option.")},
        {{QStringLiteral("--selftest=1")}, QStringLiteral("\"--selftest=1\" is not a Filewright option.")},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("folders")},
         QStringLiteral("The command \"folders\" comes first, before any option.")},
        {{QStringLiteral("--reverse"), QStringLiteral("stray")}, QStringLiteral("\"stray\" is not a Filewright command.")},
    };
    for (const auto &entry : refused) {
        const Ended ended = runToEnd(store, entry.arguments);
        const std::string arguments = entry.arguments.join(u' ').toStdString();
        EXPECT_EQ(ended.code, 2) << arguments;
        EXPECT_TRUE(ended.out.isEmpty()) << arguments << ": " << ended.out.toStdString();
        EXPECT_TRUE(ended.err.contains(entry.refusal + QStringLiteral("\n\nUsage: filewright ")))
            << arguments << ": " << ended.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(store)) << arguments;
    }

    // The self-test wherever it stands, here refused for want of a home of its own.
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("--selftest")},
          QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--selftest")},
          QStringList{QStringLiteral("--selftest"), QStringLiteral("--platform"), QStringLiteral("offscreen")}}) {
        const Ended ended = runToEnd(store, arguments);
        EXPECT_EQ(ended.code, 1) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(ended.out.startsWith(QStringLiteral("SELFTEST refused"))) << ended.out.toStdString();
    }

    // Qt's own options with their values: the application starts and opens its store.
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-style"),
                      QStringLiteral("Fusion")},
          QStringList{QStringLiteral("-session"), QStringLiteral("1a2b3c"), QStringLiteral("--reverse"),
                      QStringLiteral("-stylesheet=none.qss"), QStringLiteral("-qwindowtitle"), QStringLiteral("-x")}}) {
        const QString started = dir.filePath(QStringLiteral("started-%1.store").arg(arguments.size()));
        QProcess process;
        start(process, started, arguments);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(started) || process.state() == QProcess::NotRunning; }, 20000));
        EXPECT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
        EXPECT_TRUE(QFileInfo::exists(started)) << arguments.join(u' ').toStdString();
        process.terminate();
        EXPECT_TRUE(process.waitForFinished(10000));
    }
}
