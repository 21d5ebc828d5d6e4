// Small helpers shared by the tests.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace TestSupport {

// The folder of the test data copied into the project (tests/data).
QString dataPath(const QString &relative);

// Writes bytes to a file, creating parent folders; returns false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);

// Reads a whole file, or an empty array when it cannot be read.
QByteArray readFile(const QString &path);

// The environment of a child process, offscreen and without a session bus,
// store or seed, with HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and
// APP_HOME in folders of those names (home, config, ...) made below root.
QProcessEnvironment isolatedEnvironment(const QString &root);

// What a finished child printed; exitCode is -1 when it crashed or hung.
struct ProcessRun
{
    int exitCode = -1;
    QStringList lines;
};
ProcessRun run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment);

} // namespace TestSupport
