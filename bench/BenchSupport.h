// Small helpers shared by the benchmark programs.
#pragma once

#include "Store.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <functional>

namespace BenchSupport {

// The process's resident memory now, in kilobytes (0 when it cannot be read).
inline long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// A store file in folder holding count journal entries, one a minute back
// from now, every 500th waiting for review; returns its path.
inline QString journalStore(const QString &folder, int count = 100000)
{
    const QString path = folder + QStringLiteral("/bench.store");
    auto store = Store::open(path);
    store->batch([&] {
        for (int i = 0; i < count; ++i) {
            JournalEntry entry(std::nullopt, QStringLiteral("Rule"), QStringLiteral("/home/u/Downloads/f%1.pdf").arg(i),
                               QStringLiteral("/home/u/Documents/f%1.pdf").arg(i),
                               i % 500 == 0 ? JournalEntry::Status::review : JournalEntry::Status::done);
            entry.date = QDateTime::currentDateTimeUtc().addSecs(-i * 60);
            store->insert(entry);
        }
    });
    return path;
}

// The processor time this thread has used, in milliseconds: unlike the
// time on the clock it does not grow while other processes hold the machine.
inline double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// What a user feels of an action in a window: the action itself counts as
// one turn of the event loop, then the loop turns (each turn handling what
// is due then) until nothing has happened for quietMs.
struct Turns
{
    double longestMs = 0; // the longest single turn, on the clock
    double longestCpuMs = 0; // the most processor time one turn took
    double untilIdleMs = 0; // from the action to the end of the last turn that did something
    int count = 0;
};

inline Turns turnsUntilIdle(const std::function<void()> &action, int quietMs = 250)
{
    Turns turns;
    QElapsedTimer total;
    total.start();
    QElapsedTimer turn;
    turn.start();
    double cpu = threadCpuMs();
    action();
    turns.longestMs = double(turn.nsecsElapsed()) / 1e6;
    turns.longestCpuMs = threadCpuMs() - cpu;
    turns.count = 1;
    double lastBusy = double(total.nsecsElapsed()) / 1e6;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    while (double(total.nsecsElapsed()) / 1e6 - lastBusy < quietMs) {
        turn.restart();
        cpu = threadCpuMs();
        // Outside a running loop, objects deleted later go only when asked.
        const bool busy = dispatcher->processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!busy)
            continue;
        turns.longestMs = std::max(turns.longestMs, double(turn.nsecsElapsed()) / 1e6);
        turns.longestCpuMs = std::max(turns.longestCpuMs, threadCpuMs() - cpu);
        ++turns.count;
        lastBusy = double(total.nsecsElapsed()) / 1e6;
    }
    turns.untilIdleMs = lastBusy;
    return turns;
}

// Points home, settings, data, the application's home and the store at
// folders of their own below sandbox, for a benchmark that files into the
// home and must find only what it put there.
inline void useSeparateFolders(const QTemporaryDir &sandbox)
{
    const QDir root(sandbox.path());
    for (const char *sub : {"home", "config", "data", "apphome"})
        root.mkpath(QString::fromLatin1(sub));
    qputenv("HOME", root.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
    qputenv("APP_HOME", root.filePath(QStringLiteral("apphome")).toUtf8());
    qputenv("APP_STORE", root.filePath(QStringLiteral("data/unused.store")).toUtf8());
}

// The main of a benchmark program with windows: offscreen, with home,
// settings, data and the store in a temporary folder, inside a QApplication.
inline int runWithApplication(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "APP_HOME"})
        qputenv(name, home.path().toUtf8());
    qputenv("APP_STORE", (home.path() + QStringLiteral("/unused.store")).toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace BenchSupport
