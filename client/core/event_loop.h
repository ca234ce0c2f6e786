#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <deque>

#include "client/core/scheduler.h"

namespace lanzhou::core {

// A minimal session thread for programs without a GUI: posted work and timers
// run one at a time on the thread that calls run(). Idle, it sleeps on a
// condition variable until the next timer or post; it never polls.
class EventLoop final {
public:
    using Clock = std::chrono::steady_clock;
    using TimerId = std::uint64_t;

    // Runs until quit(); returns the code given to quit().
    int run();
    void quit(int code = 0);  // any thread

    void post(std::function<void()> work);  // any thread
    TimerId runAfter(Clock::duration delay, std::function<void()> work);  // any thread
    void cancel(TimerId id);  // any thread; a timer that already ran is ignored

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_posted;
    std::multimap<Clock::time_point, std::pair<TimerId, std::function<void()>>> m_timers;
    TimerId m_nextTimer = 1;
    bool m_quit = false;
    int m_exitCode = 0;
};

// Coalescing deferred actions and periodic timers on an EventLoop.
class LoopScheduler final : public Scheduler {
public:
    explicit LoopScheduler(EventLoop& loop) : m_loop(loop) {}

    void post(std::function<void()> work) override;
    std::unique_ptr<DeferredAction> makeDeferredAction(std::function<void()> work) override;
    std::unique_ptr<PeriodicTimer> makePeriodicTimer(std::function<void()> work) override;

private:
    EventLoop& m_loop;
};

}  // namespace lanzhou::core
