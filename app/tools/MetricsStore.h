// The short log of crashes and hangs: one line each, the newest 20 kept in
// "Filewright/diagnostics.txt" under the user's data folder, so that the
// diagnostics text can hand the newest of them to support. Reports arrive as
// payloads from the crash handler (at the next start) and the hang watchdog.
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace MetricsStore {

inline constexpr int kept = 20;
inline constexpr int recentCount = 10;

struct Crash
{
    QString build;
    std::optional<int> signal;
    std::optional<int> exceptionType;
};

struct Hang
{
    QString build;
    std::chrono::milliseconds duration{0};
};

// What one report delivery holds: the end of the period it covers and the
// crashes and hangs in it.
struct Payload
{
    QDateTime timeStampEnd;
    QList<Crash> crashes;
    QList<Hang> hangs;
};

// "<date> crash <build> signal <n>|? [exception <n>]" with the date in UTC;
// without an exception type the line ends in a blank.
QString crashLine(const QDateTime &end, const Crash &crash);
// "<date> hang <build> <duration>", the duration in seconds in the user's locale.
QString hangLine(const QDateTime &end, const Hang &hang);
// Per payload in order, its crash lines, then its hang lines.
QStringList lines(const QList<Payload> &payloads);

// Any thread: turns the payloads into lines and hands them to the main
// thread, which appends them. Nothing happens when there are none.
void didReceive(const QList<Payload> &payloads);

// Main thread: adds the lines and keeps the newest 20; an unreadable file
// (not UTF-8, for one) is replaced. Failures are swallowed.
void append(const QStringList &newLines);

// The newest 10 lines, oldest first; none when the file is absent or unreadable.
QStringList recent();

QString filePath();

} // namespace MetricsStore
