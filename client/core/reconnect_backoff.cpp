#include "client/core/reconnect_backoff.h"

#include <algorithm>
#include <memory>
#include <random>

namespace lanzhou::core {

namespace {

constexpr std::chrono::milliseconds kFirstStep{1000};
constexpr std::chrono::milliseconds kLongestStep{60'000};

}  // namespace

RandomSource systemRandomSource() {
    auto generator = std::make_shared<std::mt19937_64>(std::random_device{}());
    return [generator](std::int64_t low, std::int64_t high) {
        return std::uniform_int_distribution<std::int64_t>(low, high)(*generator);
    };
}

std::chrono::milliseconds reconnectStep(int attempt) {
    std::chrono::milliseconds step = kFirstStep;
    for (int n = 1; n < attempt && step < kLongestStep; ++n) {
        step *= 2;
    }
    return std::min(step, kLongestStep);
}

std::chrono::milliseconds reconnectDelay(int attempt, const RandomSource& random) {
    const std::int64_t step = reconnectStep(attempt).count();
    const std::int64_t drawn = random(step / 2, step);
    // A source that strays outside its range is held to it.
    return std::chrono::milliseconds{std::clamp(drawn, step / 2, step)};
}

}  // namespace lanzhou::core
