// The filewright executable as a user starts it.
#include "TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QProcess *start(QProcess &process, const QString &store, const QStringList &arguments = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("APP_STORE"), store);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(FILEWRIGHT_BINARY), arguments);
    return &process;
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
        QProcess process;
        start(process, store, arguments);
        // Ends by itself: the application is not started.
        if (!process.waitForFinished(20000)) {
            process.kill();
            process.waitForFinished();
        }
        return std::tuple{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                          QString::fromUtf8(process.readAllStandardOutput()),
                          QString::fromUtf8(process.readAllStandardError())};
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
