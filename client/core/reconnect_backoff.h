#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace lanzhou::core {

// A whole number drawn uniformly from [low, high] (low <= high).
using RandomSource = std::function<std::int64_t(std::int64_t low, std::int64_t high)>;

// Draws from a generator seeded by the system's random device.
RandomSource systemRandomSource();

// The longest wait before reconnection attempt `attempt` (from 1): 1 s, 2 s,
// 4 s ... doubling up to 60 s.
std::chrono::milliseconds reconnectStep(int attempt);

// The wait before attempt `attempt`: drawn from [step/2, step], so that
// members dropped together do not all come back at the same moment.
std::chrono::milliseconds reconnectDelay(int attempt, const RandomSource& random);

}  // namespace lanzhou::core
