#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

#include "client/core/reconnect_backoff.h"

namespace lanzhou::test {
namespace {

using std::chrono::milliseconds;

TEST(ReconnectBackoff, StepDoublesFromOneSecondUpToAMinute) {
    const std::vector<std::pair<int, milliseconds>> cases = {
        {1, milliseconds{1000}},  {2, milliseconds{2000}},        {3, milliseconds{4000}},
        {4, milliseconds{8000}},  {6, milliseconds{32000}},       {7, milliseconds{60000}},
        {8, milliseconds{60000}}, {1000000, milliseconds{60000}},
    };
    for (const auto& [attempt, step] : cases) {
        SCOPED_TRACE(attempt);
        EXPECT_EQ(core::reconnectStep(attempt), step);
    }
}

TEST(ReconnectBackoff, DelayIsDrawnBetweenHalfTheStepAndTheStep) {
    struct Case {
        int attempt;
        std::int64_t low, high;
    };
    const std::vector<Case> cases = {
        {1, 500, 1000}, {2, 1000, 2000}, {5, 8000, 16000}, {7, 30000, 60000}, {40, 30000, 60000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attempt);
        std::vector<std::pair<std::int64_t, std::int64_t>> asked;
        const auto pick = [&](std::int64_t choice) -> core::RandomSource {
            return [&asked, choice](std::int64_t low, std::int64_t high) {
                asked.emplace_back(low, high);
                return choice < 0 ? low : choice == 0 ? high : choice;
            };
        };
        EXPECT_EQ(core::reconnectDelay(c.attempt, pick(-1)).count(), c.low);
        EXPECT_EQ(core::reconnectDelay(c.attempt, pick(0)).count(), c.high);
        EXPECT_EQ(core::reconnectDelay(c.attempt, pick(c.low + 1)).count(), c.low + 1);
        // A source that strays is held to the range.
        EXPECT_EQ(core::reconnectDelay(c.attempt, pick(c.high * 3)).count(), c.high);
        ASSERT_FALSE(asked.empty());
        for (const auto& range : asked) {
            EXPECT_EQ(range, std::make_pair(c.low, c.high));
        }
    }
}

TEST(ReconnectBackoff, SystemSourceStaysInRangeAndVaries) {
    const core::RandomSource random = core::systemRandomSource();
    std::vector<std::int64_t> drawn;
    for (int i = 0; i < 1000; ++i) {
        const std::int64_t value = random(500, 1000);
        ASSERT_GE(value, 500);
        ASSERT_LE(value, 1000);
        drawn.push_back(value);
    }
    EXPECT_NE(*std::min_element(drawn.begin(), drawn.end()),
              *std::max_element(drawn.begin(), drawn.end()));
}

}  // namespace
}  // namespace lanzhou::test
