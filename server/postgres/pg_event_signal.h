#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "base/result.h"
#include "server/storage/event_signal.h"

namespace lanzhou::server {

class PgConnection;

// LISTENs on the event log's notification channel over a connection of its
// own, made on first use and made again after a loss (at most once a second
// while the database stays away). Until then, wait() sleeps its timeout
// instead of waiting on a socket.
class PgEventSignal final : public EventSignal {
public:
    using Connect = std::function<Result<std::unique_ptr<PgConnection>>()>;

    explicit PgEventSignal(Connect connect);
    ~PgEventSignal() override;

    bool wait(std::chrono::milliseconds timeout) override;

private:
    // Connects and LISTENs; false when the database cannot be reached.
    bool listen();

    Connect m_connect;
    std::unique_ptr<PgConnection> m_connection;
    std::chrono::steady_clock::time_point m_nextAttempt{};
};

}  // namespace lanzhou::server
