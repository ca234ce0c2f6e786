#include "server/postgres/pg_event_signal.h"

#include <poll.h>

#include <string>
#include <thread>
#include <utility>

#include "server/postgres/pg_connection.h"
#include "server/postgres/pg_event_log.h"

namespace lanzhou::server {

PgEventSignal::PgEventSignal(Connect connect) : m_connect(std::move(connect)) {}

PgEventSignal::~PgEventSignal() = default;

namespace {
constexpr std::chrono::seconds kRetryEvery{1};
}  // namespace

bool PgEventSignal::listen() {
    const auto now = std::chrono::steady_clock::now();
    if (now < m_nextAttempt) {
        return false;
    }
    m_nextAttempt = now + kRetryEvery;
    auto connected = m_connect();
    if (!connected) {
        return false;
    }
    if (!(*connected)->execute("LISTEN " + std::string(PgEventLog::kChannel))) {
        return false;
    }
    m_connection = std::move(*connected);
    return true;
}

bool PgEventSignal::wait(std::chrono::milliseconds timeout) {
    if (!m_connection) {
        if (listen()) {
            return true;  // whatever was recorded while away is in the log
        }
        std::this_thread::sleep_for(timeout);
        return false;
    }
    if (m_connection->takeNotifications() > 0) {
        return true;
    }
    pollfd waited{m_connection->socket(), POLLIN, 0};
    const int ready = ::poll(&waited, 1, static_cast<int>(timeout.count()));
    if (ready <= 0) {
        return false;  // the time is up (or a signal came): nothing read
    }
    if (!m_connection->consumeInput()) {
        m_connection.reset();  // lost: made again on the next wait
        return true;
    }
    return m_connection->takeNotifications() > 0;
}

}  // namespace lanzhou::server
