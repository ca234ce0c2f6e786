#include "client/core/clock_tick.h"

#include <utility>

namespace lanzhou::core {

ClockTick::ClockTick() : ClockTick([] { return std::chrono::steady_clock::now(); }) {}

ClockTick::ClockTick(Clock monotonic) : m_monotonic(std::move(monotonic)) {}

void ClockTick::start(const protocol::DateTime& serverTime) {
    m_base = serverTime;
    m_startedAt = m_monotonic();
    m_running = true;
}

protocol::DateTime ClockTick::now() const {
    if (!m_running) {
        return protocol::DateTime::zero();
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(m_monotonic() - m_startedAt);
    return m_base.plusSeconds(elapsed.count() > 0 ? elapsed.count() : 0);
}

}  // namespace lanzhou::core
