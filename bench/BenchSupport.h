// Small helpers shared by the benchmark programs.
#pragma once

#include <QByteArray>
#include <QFile>

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

} // namespace BenchSupport
