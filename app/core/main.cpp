// Filewright's entry point.
#include "CrashHandler.h"
#include "FilewrightApp.h"
#include "HangWatchdog.h"
#include "SelfTest.h"
#include "SingleInstance.h"
#include "Store.h"

#include <QApplication>
#include <QTextStream>

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// Text recognition runs several times slower when its OpenMP threads compete
// with ours; the limit must be in the environment before the process starts,
// so the process starts itself again with it.
void ensureSingleThreadedRecognition(char **argv)
{
    if (std::getenv("OMP_THREAD_LIMIT") != nullptr)
        return;
    ::setenv("OMP_THREAD_LIMIT", "1", 1);
    ::execv("/proc/self/exe", argv);
    // When the new start fails, go on in this process: only slower.
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QTextStream(stdout) << "Filewright " << FILEWRIGHT_VERSION << Qt::endl;
            return 0;
        }
    }

    // The self-test deletes and fills its home folder and writes its own
    // settings: it runs only in a test environment, which nothing outside
    // it is touched by, not even the store it would otherwise open.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (SelfTest::isRequested(arguments)) {
        if (const std::optional<QString> refusal = SelfTest::refusal()) {
            QTextStream(stdout) << *refusal << Qt::endl;
            return 1;
        }
        SelfTest::isolateEnvironment();
    }
    ensureSingleThreadedRecognition(argv);

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Filewright"));
    QApplication::setApplicationName(QStringLiteral("Filewright"));
    QApplication::setApplicationVersion(QStringLiteral(FILEWRIGHT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("filewright"));

    // One Filewright per session; test stores run on their own.
    SingleInstance instance;
    if (!Store::isOverridden() && !instance.registerAsPrimary()) {
        if (SingleInstance::forwardToRunning(QApplication::arguments()))
            return 0;
    }

    // Crashes and hangs of this instance leave a line for support.
    const std::unique_ptr<HangWatchdog> watchdog = CrashHandler::startReporting();

    FilewrightApp filewright;
    QObject::connect(&instance, &SingleInstance::activationRequested, &filewright, &FilewrightApp::activate);
    filewright.showMainWindow();
    const int code = app.exec();
    return filewright.exitCode(code);
}
