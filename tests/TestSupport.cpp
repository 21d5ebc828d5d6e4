#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace TestSupport {

QString onOtherFileSystem(const QString &folder, const QString &home)
{
    struct stat there{}, here{};
    if (folder.isEmpty() || ::stat(QFile::encodeName(folder).constData(), &there) != 0
        || ::stat(QFile::encodeName(home).constData(), &here) != 0 || there.st_dev == here.st_dev)
        return {};
    return folder;
}

QString dataPath(const QString &relative)
{
    return QStringLiteral(FILEWRIGHT_TEST_DATA) + QLatin1Char('/') + relative;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QProcessEnvironment isolatedEnvironment(const QString &root)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const std::pair<const char *, const char *> folders[] = {
        {"HOME", "home"}, {"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "data"}, {"XDG_CACHE_HOME", "cache"},
        {"APP_HOME", "apphome"}};
    for (const auto &[variable, folder] : folders) {
        QDir(root).mkpath(QLatin1String(folder));
        environment.insert(QLatin1String(variable), root + QLatin1Char('/') + QLatin1String(folder));
    }
    for (const char *variable : {"APP_STORE", "APP_SEED", "APP_SNAPSHOT_PAGES", "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(QLatin1String(variable));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

ProcessRun run(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
               const QByteArray &input)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    ProcessRun result;
    // A child that never ends is stopped; what it printed until then still
    // tells how far it got.
    const bool finished = process.waitForFinished(150000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    if (finished && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return result;
}

namespace {

QMap<QString, QVariant> settingsValues()
{
    const QSettings settings(QStringLiteral("Filewright"), QStringLiteral("Filewright"));
    QMap<QString, QVariant> values;
    for (const QString &key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

} // namespace

SettingsSnapshot::SettingsSnapshot()
    : m_values(settingsValues())
{
}

QStringList SettingsSnapshot::changedKeys() const
{
    const QMap<QString, QVariant> now = settingsValues();
    QStringList changed;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it) {
        if (!now.contains(it.key()) || now.value(it.key()) != it.value())
            changed.append(it.key());
    }
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!m_values.contains(it.key()))
            changed.append(it.key());
    }
    return changed;
}

void SettingsSnapshot::restore() const
{
    QSettings settings(QStringLiteral("Filewright"), QStringLiteral("Filewright"));
    for (const QString &key : settings.allKeys()) {
        if (!m_values.contains(key))
            settings.remove(key);
    }
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

ScopedUserDirs::ScopedUserDirs(const QByteArray &lines)
    : m_file(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/user-dirs.dirs"))
{
    if (qEnvironmentVariable("XDG_CONFIG_HOME").isEmpty() || !writeFile(m_file, lines))
        ADD_FAILURE() << "could not write " << m_file.toStdString();
}

ScopedUserDirs::~ScopedUserDirs()
{
    QFile::remove(m_file);
}

QByteArray ScopedUserDirs::german()
{
    return "# written by xdg-user-dirs-update\n"
           "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
           "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
           "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
           "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
           "XDG_MUSIC_DIR=\"$HOME/Musik\"\n";
}

} // namespace TestSupport
