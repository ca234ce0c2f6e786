#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace lanzhou::test {

// An environment variable set (or, with nullopt, removed) for the life of an
// object, then restored.
class ScopedEnv final {
public:
    ScopedEnv(const char* name, const std::optional<QByteArray>& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value) {
            qputenv(name, *value);
        } else {
            qunsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_had) {
            qputenv(m_name, m_old);
        } else {
            qunsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

}  // namespace lanzhou::test
