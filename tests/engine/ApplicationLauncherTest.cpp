#include "ApplicationLauncher.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

using TestSupport::readFile;
using TestSupport::writeFile;

TEST(ApplicationLauncher, ExecLinesGetTheFile)
{
    const QString file = QStringLiteral("/home/a/Rechnung 1.pdf");
    EXPECT_EQ(ApplicationLauncher::execArguments(QStringLiteral("evince %U"), file),
              (QStringList{QStringLiteral("evince"), QStringLiteral("file:///home/a/Rechnung%201.pdf")}));
    EXPECT_EQ(ApplicationLauncher::execArguments(QStringLiteral("\"/opt/My App/bin\" --open=%f %i %c"), file,
                                                 QStringLiteral("/x.desktop"), QStringLiteral("My App"),
                                                 QStringLiteral("myapp")),
              (QStringList{QStringLiteral("/opt/My App/bin"), QStringLiteral("--open=") + file, QStringLiteral("--icon"),
                           QStringLiteral("myapp"), QStringLiteral("My App")}));
    // No file code: the file goes last; deprecated codes vanish; %% is a percent sign.
    EXPECT_EQ(ApplicationLauncher::execArguments(QStringLiteral("viewer %d --zoom=100%% \"a \\\"b\\\"\""), file),
              (QStringList{QStringLiteral("viewer"), QStringLiteral("--zoom=100%"), QStringLiteral("a \"b\""), file}));
    EXPECT_TRUE(ApplicationLauncher::execArguments(QString(), file).isEmpty());
}

TEST(ApplicationLauncher, FindsPathsDesktopEntriesAndProgramsOnPath)
{
    QTemporaryDir work;
    const QString file = work.path() + QStringLiteral("/Scan.pdf");
    const QString out = work.path() + QStringLiteral("/opened.txt");
    const QString script = work.path() + QStringLiteral("/opener");
    ASSERT_TRUE(writeFile(script, QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\n").arg(out).toUtf8()));
    QFile(script).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(ApplicationLauncher::command(file, script), (QStringList{script, file}));

    // Desktop entries in the user's application folder, with or without ".desktop".
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
    ASSERT_TRUE(writeFile(applications + QStringLiteral("/org.example.Opener.desktop"),
                          QStringLiteral("[Desktop Entry]\nType=Application\nName=Opener\nExec=%1 %f\n"
                                         "[Desktop Action x]\nExec=wrong\n")
                              .arg(script)
                              .toUtf8()));
    EXPECT_EQ(ApplicationLauncher::command(file, QStringLiteral("org.example.Opener")), (QStringList{script, file}));
    EXPECT_EQ(ApplicationLauncher::command(file, QStringLiteral("org.example.Opener.desktop")),
              (QStringList{script, file}));
    EXPECT_EQ(ApplicationLauncher::command(file, applications + QStringLiteral("/org.example.Opener.desktop")),
              (QStringList{script, file}));

    // A program on PATH; nothing for names that lead nowhere.
    EXPECT_EQ(ApplicationLauncher::command(file, QStringLiteral("sh")),
              (QStringList{QStandardPaths::findExecutable(QStringLiteral("sh")), file}));
    for (const QString &nothing : {QString(), QStringLiteral("no-such-program-anywhere"), QStringLiteral("/no/such"),
                                   QStringLiteral("../opener"), work.path()})
        EXPECT_TRUE(ApplicationLauncher::command(file, nothing).isEmpty()) << nothing.toStdString();
    EXPECT_FALSE(ApplicationLauncher::open(file, QStringLiteral("no-such-program-anywhere")));

    // Started detached with the file.
    ASSERT_TRUE(ApplicationLauncher::open(file, QStringLiteral("org.example.Opener")));
    QDeadlineTimer deadline(5000);
    while (readFile(out).isEmpty() && !deadline.hasExpired())
        QThread::msleep(10);
    EXPECT_EQ(QString::fromUtf8(readFile(out)), file);
}
