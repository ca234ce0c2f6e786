#include "client/core/heartbeat.h"

#include <chrono>

#include "protocol/message_catalogue.h"

namespace lanzhou::core {

Heartbeat::Heartbeat(Scheduler& scheduler, RequestSender& sender)
    : m_timer(scheduler.makePeriodicTimer(
          [&sender] { sender.sendRequest(protocol::request::kKeepAlive); })) {}

void Heartbeat::start(std::int32_t seconds) {
    if (seconds <= 0) {
        m_timer->stop();
        return;
    }
    m_timer->start(std::chrono::seconds{seconds});
}

}  // namespace lanzhou::core
