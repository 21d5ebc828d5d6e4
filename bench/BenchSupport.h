// Small helpers shared by the benchmark programs.
#pragma once

#include "Store.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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
