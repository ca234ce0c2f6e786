#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "protocol/date_time.h"

namespace lanzhou::core {

// The server's "now": the last "#TM" time plus the whole seconds a monotonic
// clock has counted since. The same value a one-second tick would reach,
// without drift and without waking the process every second.
class ClockTick final {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    ClockTick();
    explicit ClockTick(Clock monotonic);

    // (Re)starts the count from `serverTime`.
    void start(const protocol::DateTime& serverTime);

    // 1899-12-30 00:00:00 until started. The date is worked out once per
    // second counted; a burst of alerts only reads the monotonic clock.
    protocol::DateTime now() const;

private:
    Clock m_monotonic;
    protocol::DateTime m_base = protocol::DateTime::zero();
    std::chrono::steady_clock::time_point m_startedAt{};
    bool m_running = false;
    // The last answer and the whole seconds it was worked out for (-1: none).
    mutable protocol::DateTime m_last = protocol::DateTime::zero();
    mutable std::int64_t m_lastSeconds = -1;
};

}  // namespace lanzhou::core
