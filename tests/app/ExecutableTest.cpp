// The filewright executable as a user starts it.
#include "TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QProcess *start(QProcess &process, const QString &store)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("APP_STORE"), store);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(FILEWRIGHT_BINARY), {});
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
