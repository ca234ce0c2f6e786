#include <gtest/gtest.h>

#include <chrono>

#include "client/core/clock_tick.h"

namespace lanzhou::core {
namespace {

using namespace std::chrono_literals;
using protocol::DateTime;

TEST(ClockTick, ZeroDateUntilStarted) {
    ClockTick tick;
    EXPECT_EQ(tick.now(), DateTime::zero());
}

TEST(ClockTick, AddsWholeSecondsOfTheMonotonicClock) {
    std::chrono::steady_clock::time_point monotonic{123456789ms};
    ClockTick tick([&] { return monotonic; });
    const DateTime base{2023, 12, 31, 23, 59, 58};
    tick.start(base);

    struct Step {
        std::chrono::milliseconds advance;
        DateTime expected;
    };
    for (const Step& step :
         {Step{0ms, base}, Step{999ms, base}, Step{1ms, {2023, 12, 31, 23, 59, 59}},
          Step{1500ms, {2024, 1, 1, 0, 0, 0}}, Step{500ms, {2024, 1, 1, 0, 0, 1}},
          Step{std::chrono::hours(24), {2024, 1, 2, 0, 0, 1}}}) {
        monotonic += step.advance;
        EXPECT_EQ(tick.now(), step.expected);
    }
}

TEST(ClockTick, RestartCountsFromTheNewTime) {
    std::chrono::steady_clock::time_point monotonic{};
    ClockTick tick([&] { return monotonic; });
    tick.start({2024, 3, 10, 12, 0, 0});
    EXPECT_EQ(tick.now(), (DateTime{2024, 3, 10, 12, 0, 0}));
    tick.start({2024, 3, 10, 11, 0, 0});  // at the same whole second
    EXPECT_EQ(tick.now(), (DateTime{2024, 3, 10, 11, 0, 0}));
    monotonic += 90s;
    tick.start({2024, 3, 10, 8, 0, 0});
    EXPECT_EQ(tick.now(), (DateTime{2024, 3, 10, 8, 0, 0}));
    monotonic += 2s;
    EXPECT_EQ(tick.now(), (DateTime{2024, 3, 10, 8, 0, 2}));
}

TEST(ClockTick, RealClockStartsAtTheGivenTime) {
    ClockTick tick;
    tick.start({2024, 3, 10, 12, 0, 0});
    const DateTime now = tick.now();
    EXPECT_GE(now, (DateTime{2024, 3, 10, 12, 0, 0}));
    EXPECT_LE(now, (DateTime{2024, 3, 10, 12, 1, 0}));
}

}  // namespace
}  // namespace lanzhou::core
