#pragma once

#include <cstdint>
#include <memory>

#include "client/core/request_sender.h"
#include "client/core/scheduler.h"

namespace lanzhou::core {

// Sends the keep-alive request "1" every HeartbeatSeconds seconds.
class Heartbeat final {
public:
    Heartbeat(Scheduler& scheduler, RequestSender& sender);

    // (Re)starts with this period; 0 or less stops it.
    void start(std::int32_t seconds);

private:
    std::unique_ptr<PeriodicTimer> m_timer;
};

}  // namespace lanzhou::core
