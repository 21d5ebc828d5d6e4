#include "RealHome.h"

#include <QDir>
#include <QtGlobal>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace RealHome {

QString accountHome()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0)
        size = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(size));
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir)
        return {};
    return QString::fromLocal8Bit(found->pw_dir);
}

QString lookUp()
{
    QString home = qEnvironmentVariable("APP_HOME");
    if (home.isEmpty())
        home = accountHome();
    if (home.isEmpty() || !QDir::isAbsolutePath(home))
        home = QDir::homePath();
    return QDir::cleanPath(home);
}

const QString &path()
{
    static const QString home = lookUp();
    return home;
}

QString abbreviate(const QString &text)
{
    const QString &home = path();
    if (home == QLatin1String("/") || !text.startsWith(home))
        return text;
    if (text.size() == home.size())
        return QStringLiteral("~");
    if (text.at(home.size()) != QLatin1Char('/'))
        return text;
    return QLatin1Char('~') + text.mid(home.size());
}

} // namespace RealHome
