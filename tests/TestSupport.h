// Small helpers shared by the tests.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace TestSupport {

// The folder of the test data copied into the project (tests/data).
QString dataPath(const QString &relative);

// Writes bytes to a file, creating parent folders; returns false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);

// Reads a whole file, or an empty array when it cannot be read.
QByteArray readFile(const QString &path);

// The folder when it lies on another file system than home (a tmpfs under
// /dev/shm, for moves that must copy), else empty.
QString onOtherFileSystem(const QString &folder, const QString &home);

// The environment of a child process, offscreen and without a session bus,
// store or seed, with HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and
// APP_HOME in folders of those names (home, config, ...) made below root.
QProcessEnvironment isolatedEnvironment(const QString &root);

// What a child printed; exitCode is -1 when it crashed or hung (and was stopped).
struct ProcessRun
{
    int exitCode = -1;
    QStringList lines;
};
// Runs the program with what input holds as its standard input.
ProcessRun run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
               const QByteArray &input = {});

// Every value of the settings file (organisation and application
// "Filewright"), as it stands when taken.
class SettingsSnapshot
{
public:
    SettingsSnapshot();
    // The keys whose values differ now, added and removed ones included.
    QStringList changedKeys() const;
    // Puts the file back as it was.
    void restore() const;

private:
    QMap<QString, QVariant> m_values;
};

// Puts the settings back as they were when it was made: a fixture that
// changes preferences holds one, so that the tests after it start alike.
class ScopedSettings
{
public:
    ScopedSettings() = default;
    ~ScopedSettings() { m_before.restore(); }
    ScopedSettings(const ScopedSettings &) = delete;
    ScopedSettings &operator=(const ScopedSettings &) = delete;

private:
    const SettingsSnapshot m_before;
};

// The desktop's names of the home's standard folders, for one scope: writes
// user-dirs.dirs into XDG_CONFIG_HOME and takes it away again.
class ScopedUserDirs
{
public:
    // lines: as xdg-user-dirs writes them, XDG_DESKTOP_DIR="$HOME/Schreibtisch".
    explicit ScopedUserDirs(const QByteArray &lines);
    ~ScopedUserDirs();
    ScopedUserDirs(const ScopedUserDirs &) = delete;
    ScopedUserDirs &operator=(const ScopedUserDirs &) = delete;

    // A German desktop: Schreibtisch, Dokumente, Bilder, and Downloads as it is.
    static QByteArray german();

private:
    const QString m_file;
};

} // namespace TestSupport
