// Crash reports: when a fatal signal hits, a handler on an alternate stack
// writes one record (time, signal, build) with write(2) to a file opened at
// start, then lets the signal take its default course, so the system's own
// crash handling (core dump, crash reporter) still happens. At the next
// start the records become report lines of MetricsStore.
#pragma once

#include "MetricsStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class HangWatchdog;

namespace CrashHandler {

// The build recorded with every report.
QString build();

// The file the handler writes its records to.
QString pendingPath();

// Turns the records of crashed runs into report lines and removes them.
void collectPending();
// The crash payloads of the records; lines that are no record are skipped.
QList<MetricsStore::Payload> parseRecords(const QByteArray &records);

// Opens the record file and installs the handler for SIGSEGV, SIGBUS,
// SIGILL, SIGFPE, SIGABRT, SIGTRAP and SIGSYS; false when the file cannot be
// opened (then nothing is installed). Once per process.
bool install();

// Unless a test store is in use: collects the records of earlier crashes,
// installs the handler and starts the hang watchdog, which runs as long as
// the returned object lives. Null with a test store. Call on the main
// thread, once the application object exists.
std::unique_ptr<HangWatchdog> startReporting();

} // namespace CrashHandler
