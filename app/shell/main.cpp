// Filewright's entry point.
#include "AppModel.h"
#include "AutomationActions.h"
#include "AutomationBus.h"
#include "AutomationClient.h"
#include "AutomationCommand.h"
#include "AutomationService.h"
#include "CrashHandler.h"
#include "FilewrightApp.h"
#include "HangWatchdog.h"
#include "Prefs.h"
#include "SelfTest.h"
#include "SingleInstance.h"
#include "Snapshot.h"
#include "Store.h"
#include "StoreLock.h"
#include "Translation.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTextStream>

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// How long a start waits for another process that works on the store.
constexpr std::chrono::seconds storePatience{60};
// How long a running Filewright may take to say which store it works on.
constexpr int holderPatienceMs = 2000;

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

    // A command, or arguments the application does not start with, which
    // are refused before anything else happens (a self-test among them too).
    if (AutomationCommand::isRequested(argc, argv))
        return AutomationCommand::run(argc, argv, ensureSingleThreadedRecognition, [] { Translation::install(); });

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
    // The screenshot tour runs only on a test store. Without one it is
    // refused here, before a running Filewright is handed the start or the
    // store it holds is waited for.
    if (const std::optional<QString> refusal = Snapshot::refusal()) {
        QTextStream(stdout) << *refusal << Qt::endl;
        return 1;
    }
    ensureSingleThreadedRecognition(argv);

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Filewright"));
    QApplication::setApplicationName(QStringLiteral("Filewright"));
    QApplication::setApplicationVersion(QStringLiteral(FILEWRIGHT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("filewright"));
    Translation::install();
    // Before the bus is first used, while no other thread reads the types.
    AutomationBus::registerTypes();

    // One Filewright per session; a test store runs on its own, and takes
    // the session's name only when no other Filewright has it. A start hands
    // over only to the Filewright that works on the store it would open, so
    // an instance on a test store never takes a normal start's window.
    SingleInstance instance;
    const QString storePath = Store::url();
    const auto handsOver = [overridden = Store::isOverridden(), storePath] {
        return !overridden && AutomationClient::find(storePath, Prefs::sentenceLanguage()) != nullptr;
    };
    if (handsOver() && SingleInstance::forwardToRunning(QApplication::arguments()))
        return 0;
    // One process at a time works on a store: wait for a command that works
    // on it alone, unless another Filewright appears meanwhile.
    const std::optional<StoreLock> lock = StoreLock::take(storePath, storePatience, handsOver);
    if (!lock) {
        if (handsOver() && SingleInstance::forwardToRunning(QApplication::arguments()))
            return 0;
        QTextStream(stderr) << AutomationCommand::storeBusyMessage() << Qt::endl;
        return 1;
    }

    // Crashes and hangs of this instance leave a line for support.
    const std::unique_ptr<HangWatchdog> watchdog = CrashHandler::startReporting();

    FilewrightApp filewright;
    QObject::connect(&instance, &SingleInstance::activationRequested, &filewright, &FilewrightApp::activate);
    // The automation is on the bus before the name is, so that a command
    // finding the name finds it too.
    AppModel &model = filewright.model();
    AutomationActions actions(model.store(), model.autopilot());
    AutomationService automation(actions, model.store().path());
    automation.publish(QDBusConnection::sessionBus());
    if (Store::isOverridden()) {
        if (!instance.registerAsPrimary() && handsOver() && SingleInstance::forwardToRunning(QApplication::arguments()))
            return 0;
    } else if (instance.queueForName() == SingleInstance::Claim::queued) {
        // The store is this start's, so whoever holds the name gave it up:
        // a Filewright that is still ending, which answers nothing any more,
        // or one on a test store. The window waits for the ending one to go,
        // and this start becomes the one every later start and command finds.
        const std::optional<QString> held = AutomationClient::runningStore(holderPatienceMs);
        if (held == storePath && SingleInstance::forwardToRunning(QApplication::arguments()))
            return 0;
        if ((!held || *held == storePath) && !instance.waitForName(storePatience)) {
            QTextStream(stderr) << AutomationCommand::storeBusyMessage() << Qt::endl;
            return 1;
        }
    }
    filewright.showMainWindow();
    const int code = app.exec();
    return filewright.exitCode(code);
}
