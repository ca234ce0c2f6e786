#include "client/core/clock_tick.h"

#include <utility>

namespace lanzhou::core {

ClockTick::ClockTick() : ClockTick([] { return std::chrono::steady_clock::now(); }) {}

ClockTick::ClockTick(Clock monotonic) : m_monotonic(std::move(monotonic)) {}

void ClockTick::start(const protocol::DateTime& serverTime) {
    m_base = serverTime;
    m_startedAt = m_monotonic();
    m_running = true;
    m_lastSeconds = -1;
}

protocol::DateTime ClockTick::now() const {
    if (!m_running) {
        return protocol::DateTime::zero();
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(m_monotonic() - m_startedAt).count();
    const std::int64_t seconds = elapsed > 0 ? elapsed : 0;
    if (seconds != m_lastSeconds) {
        m_last = m_base.plusSeconds(seconds);
        m_lastSeconds = seconds;
    }
    return m_last;
}

}  // namespace lanzhou::core
