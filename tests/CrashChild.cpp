// A child for the crash report tests: starts crash reporting as Filewright
// does, then crashes the way its argument asks ("--segv" or "--abort").
#include "CrashHandler.h"
#include "HangWatchdog.h"

#include <QCoreApplication>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

// Built with AddressSanitizer, the child still crashes as a plain program
// does: the sanitizer leaves SIGSEGV to the crash handler, or, where none is
// started, to the default action that kills the process. A sanitizer setting
// in the environment still takes precedence.
extern "C" const char *__asan_default_options()
{
    return "handle_segv=0";
}

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
