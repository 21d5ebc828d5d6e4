// Independent readers of ZIP archives for the tests: Python's zipfile module
// and the unzip command, so that archives are checked by code that is not ours.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace ArchiveCheck {

struct Entry
{
    QString name;
    quint32 crc = 0;
    qint64 size = 0;
    qint64 compressedSize = 0;
    int method = -1;
    int flags = 0;
    int createVersion = 0;
    int createSystem = 0;
    quint32 externalAttributes = 0;
    QList<int> dateTime; // year, month, day, hour, minute, second
    QByteArray data;     // as extracted (the reader verifies the checksum)
};

// Every entry as Python's zipfile reads it, in the order of the central
// directory. Fails the current test (and returns nothing) when it cannot.
QList<Entry> readWithPython(const QString &archivePath);

// Runs `unzip -t -qq`; true when every entry extracts with a matching checksum.
bool testWithUnzip(const QString &archivePath, QString *output = nullptr);

// Runs unzip with the given arguments as a user would, in a UTF-8 locale
// (LANG=C.UTF-8) and nothing else of ours; what it printed, or a failure of
// the current test (and nothing) when it did not succeed.
QByteArray runUnzip(const QStringList &arguments);

// The raw names in a folder, as the file system holds them, sorted by byte.
QList<QByteArray> rawNames(const QString &folder);

// Reads a little-endian 16-bit value at `offset`.
quint16 read16(const QByteArray &bytes, qsizetype offset);

} // namespace ArchiveCheck
