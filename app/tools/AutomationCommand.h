// The automation actions as subcommands of the filewright executable:
// "clean-up", "recognize", "export-receipts" and "folders". A subcommand
// hands its action to the application running on the same store, else runs
// it in its own process, without windows, once no other process works on
// the store. Results go to standard output as plain lines (JSON on request),
// errors to standard error.
#pragma once

#include <QString>
#include <QStringList>

namespace AutomationCommand {

// Exit statuses: done, the action failed, the command was used wrongly.
inline constexpr int done = 0;
inline constexpr int failed = 1;
inline constexpr int badUsage = 2;

// Whether the first argument is a word (a subcommand, known or not) or asks
// for help, or an argument is neither "--selftest" nor one of Qt's own
// options; then run() answers it. Otherwise the application starts.
bool isRequested(int argc, char **argv);

// Said when another process keeps working with the store for too long.
QString storeBusyMessage();

// Starts the process again, set up to read files, or returns when it is.
using ReadingSetUp = void (*)(char **argv);

// Loads the translation the desktop's languages ask for into the application.
using TranslationSetUp = void (*)();

// Runs the subcommand (arguments as main() gets them) and gives the exit
// status. "help", "--help" and "-h" print every command with a line each;
// an unknown command or option is refused with the same overview on
// standard error. A process that is not set up to read files yet hands the
// action over, or starts again set up (after which it hands over, or reads).
int run(int argc, char **argv, ReadingSetUp setUpForReading, TranslationSetUp installTranslation);

} // namespace AutomationCommand
