// Small helpers shared by the tests.
#pragma once

#include <QByteArray>
#include <QString>

namespace TestSupport {

// The folder of the test data copied into the project (tests/data).
QString dataPath(const QString &relative);

// Writes bytes to a file, creating parent folders; returns false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);

// Reads a whole file, or an empty array when it cannot be read.
QByteArray readFile(const QString &path);

} // namespace TestSupport
