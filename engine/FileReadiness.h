// Whether a file that has just appeared in a watched folder may be handled
// now: not a hidden, Office lock or partly downloaded file, a regular file,
// and unchanged across a short wait.
#pragma once

#include <QDateTime>
#include <QFuture>
#include <QSet>
#include <QString>

#include <chrono>
#include <optional>

namespace FileReadiness {

enum class State {
    ready, // handle the file now
    notYet, // look again later
    ignore, // leave the file alone
};

// What tells a changing file from a still one.
struct Stamp
{
    qint64 size = 0; // bytes
    QDateTime modified; // last change of the content

    friend bool operator==(const Stamp &, const Stamp &) = default;
};

// Extensions (lower case) of downloads that have not finished.
const QSet<QString> &partialExtensions();

// Whether the name alone says to leave the file alone: a hidden name, a "~$"
// lock file or an unfinished download.
bool ignoresName(const QString &path);

// The name first, then one look at the file system: hidden names, "~$" lock
// files and unfinished downloads are ignored without touching the disk; so is
// anything that is not a regular file, or that cannot be looked at.
State precheck(const QString &path);

// Size and modification date; nothing when the file cannot be looked at.
std::optional<Stamp> stamp(const QString &path);

// Prechecks the file, takes its stamp, waits `wait` on the calling thread's
// event loop without blocking it, and looks again: `notYet` when the file
// changed meanwhile or is empty, `ignore` when it vanished. Cancelling the
// future ends the wait early (within a twentieth of a second). The calling
// thread must run an event loop. Any number of waits may run at once: they
// share one timer, and those that end together are answered a few at a time.
QFuture<State> waitUntilStable(const QString &path, std::chrono::milliseconds wait);

// A number for the file that stays the same when it is renamed or moved
// within its file system, formed from its device and inode numbers; nothing
// when the file cannot be looked at.
std::optional<quint64> identifier(const QString &path);

} // namespace FileReadiness
