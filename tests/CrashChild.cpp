// A child for the crash report tests: starts crash reporting as Filewright
// does, then crashes the way its argument asks ("--segv" or "--abort").
#include "CrashHandler.h"
#include "HangWatchdog.h"

#include <QCoreApplication>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const std::unique_ptr<HangWatchdog> watchdog = CrashHandler::startReporting();
    // No core files from a crash on purpose.
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    if (argc > 1 && std::strcmp(argv[1], "--segv") == 0)
        std::raise(SIGSEGV);
    if (argc > 1 && std::strcmp(argv[1], "--abort") == 0)
        std::abort();
    return 0;
}
