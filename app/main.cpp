// Filewright's entry point.
#include "FilewrightApp.h"
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

    FilewrightApp filewright;
    QObject::connect(&instance, &SingleInstance::activationRequested, &filewright, &FilewrightApp::activate);
    filewright.showMainWindow();
    return app.exec();
}
