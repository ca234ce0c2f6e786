#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <latch>
#include <memory>
#include <thread>
#include <vector>

#include "client/core/event_loop.h"

namespace lanzhou::core {
namespace {

using namespace std::chrono_literals;

constexpr int kTimedOut = -1;

// Runs the loop; a broken loop ends the test instead of hanging it.
int runGuarded(EventLoop& loop) {
    loop.runAfter(20s, [&loop] { loop.quit(kTimedOut); });
    return loop.run();
}

TEST(EventLoop, PostedWorkRunsInOrder) {
    EventLoop loop;
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) {
        loop.post([&order, i] { order.push_back(i); });
    }
    loop.post([&loop] { loop.quit(3); });
    EXPECT_EQ(runGuarded(loop), 3);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(EventLoop, PostsFromOtherThreadsKeepEachThreadsOrder) {
    EventLoop loop;
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    std::vector<std::vector<int>> seen(kThreads);
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                loop.post([&, t, i] {
                    seen[static_cast<std::size_t>(t)].push_back(i);
                    if (++done == kThreads * kPerThread) {
                        loop.quit(0);
                    }
                });
            }
        });
    }
    EXPECT_EQ(runGuarded(loop), 0);
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& list : seen) {
        ASSERT_EQ(list.size(), static_cast<std::size_t>(kPerThread));
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
    }
}

TEST(EventLoop, QuitFromAnotherThreadWakesAnIdleLoop) {
    EventLoop loop;
    std::latch running(1);
    loop.post([&running] { running.count_down(); });
    std::thread other([&] {
        running.wait();
        loop.quit(42);
    });
    EXPECT_EQ(runGuarded(loop), 42);
    other.join();
}

TEST(EventLoop, TimersRunByDeadlineAndCancelledOnesNever) {
    EventLoop loop;
    std::vector<char> order;
    loop.runAfter(30ms, [&] { order.push_back('c'); });
    loop.runAfter(1ms, [&] { order.push_back('a'); });
    const auto cancelled = loop.runAfter(5ms, [&] { order.push_back('x'); });
    loop.runAfter(30ms, [&] { order.push_back('d'); });  // same deadline: after 'c'
    loop.runAfter(10ms, [&] { order.push_back('b'); });
    loop.runAfter(50ms, [&] { loop.quit(0); });
    loop.cancel(cancelled);
    loop.cancel(9999);  // unknown: ignored
    EXPECT_EQ(runGuarded(loop), 0);
    EXPECT_EQ(order, (std::vector<char>{'a', 'b', 'c', 'd'}));
}

TEST(EventLoop, RunCanBeCalledAgainAfterQuit) {
    EventLoop loop;
    loop.post([&] { loop.quit(1); });
    EXPECT_EQ(runGuarded(loop), 1);
    int ran = 0;
    loop.post([&] {
        ++ran;
        loop.quit(2);
    });
    EXPECT_EQ(runGuarded(loop), 2);
    EXPECT_EQ(ran, 1);
}

class LoopSchedulerTest : public ::testing::Test {
protected:
    // Quits once everything armed so far has had ample time to run.
    void quitAfterActions() {
        loop.runAfter(kDeferredActionDelay + 60ms, [this] { loop.quit(0); });
    }

    EventLoop loop;
    LoopScheduler scheduler{loop};
};

TEST_F(LoopSchedulerTest, TwoArmsBeforeTheRunGiveOneRun) {
    int runs = 0;
    auto action = scheduler.makeDeferredAction([&] { ++runs; });
    scheduler.post([&] {
        action->arm();
        action->arm();
        quitAfterActions();
    });
    EXPECT_EQ(runGuarded(loop), 0);
    EXPECT_EQ(runs, 1);
}

TEST_F(LoopSchedulerTest, ArmingFromInsideTheWorkRunsItAgain) {
    int runs = 0;
    std::unique_ptr<DeferredAction> action;
    action = scheduler.makeDeferredAction([&] {
        if (++runs < 3) {
            action->arm();
        } else {
            loop.quit(0);
        }
    });
    action->arm();
    EXPECT_EQ(runGuarded(loop), 0);
    EXPECT_EQ(runs, 3);
}

TEST_F(LoopSchedulerTest, ArmFromAnotherThreadRunsOnTheLoopThread) {
    std::thread::id ranOn;
    auto action = scheduler.makeDeferredAction([&] {
        ranOn = std::this_thread::get_id();
        loop.quit(0);
    });
    std::thread other([&] { action->arm(); });
    EXPECT_EQ(runGuarded(loop), 0);
    other.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(LoopSchedulerTest, DestroyedActionDoesNotRun) {
    int runs = 0;
    auto action = scheduler.makeDeferredAction([&] { ++runs; });
    action->arm();
    action.reset();
    quitAfterActions();
    EXPECT_EQ(runGuarded(loop), 0);
    EXPECT_EQ(runs, 0);
}

TEST_F(LoopSchedulerTest, PeriodicTimerRepeatsUntilStopped) {
    int ticks = 0;
    std::unique_ptr<PeriodicTimer> timer;
    timer = scheduler.makePeriodicTimer([&] {
        if (++ticks == 3) {
            timer->stop();
            quitAfterActions();
        }
    });
    timer->start(1ms);
    EXPECT_EQ(runGuarded(loop), 0);
    EXPECT_EQ(ticks, 3);
}

TEST_F(LoopSchedulerTest, PeriodOfZeroOrLessStopsAndRestartReplaces) {
    int slow = 0;
    int stopped = 0;
    auto restarted = scheduler.makePeriodicTimer([&] { ++slow; });
    auto zero = scheduler.makePeriodicTimer([&] { ++stopped; });
    auto negative = scheduler.makePeriodicTimer([&] { ++stopped; });
    auto destroyed = scheduler.makePeriodicTimer([&] { ++stopped; });
    restarted->start(1ms);
    restarted->start(1h);  // the 1 ms period is gone
    zero->start(1ms);
    zero->start(0ms);
    negative->start(-5ms);
    destroyed->start(1ms);
    destroyed.reset();
    quitAfterActions();
    EXPECT_EQ(runGuarded(loop), 0);
    EXPECT_EQ(slow, 0);
    EXPECT_EQ(stopped, 0);
}

}  // namespace
}  // namespace lanzhou::core
