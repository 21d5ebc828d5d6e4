// Sets an environment variable (or unsets it, given nullopt) for one scope.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

class ScopedEnv
{
public:
    ScopedEnv(const char *name, const std::optional<QByteArray> &value)
        : m_name(name)
        , m_was(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt)
    {
        set(value);
    }
    // Changes nothing now; puts back the value the variable has now.
    explicit ScopedEnv(const char *name)
        : m_name(name)
        , m_was(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt)
    {
    }
    ~ScopedEnv() { set(m_was); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void set(const std::optional<QByteArray> &value) const
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }

    const char *m_name;
    const std::optional<QByteArray> m_was;
};
