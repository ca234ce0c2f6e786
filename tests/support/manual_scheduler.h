#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "client/core/scheduler.h"

namespace lanzhou::test {

// A Scheduler for tests: nothing runs until the test says so. post() queues;
// an armed deferred action waits (arming it again before it ran adds nothing);
// periodic timers only record their period and run when fired. runAll() runs
// the queued posts in order, then the armed actions in the order they were
// armed, and repeats until nothing is left. post() and arm() may be called
// from any thread; run on one.
class ManualScheduler final : public core::Scheduler {
public:
    ManualScheduler();
    ~ManualScheduler() override;

    void post(std::function<void()> work) override;
    std::unique_ptr<core::DeferredAction> makeDeferredAction(std::function<void()> work) override;
    std::unique_ptr<core::PeriodicTimer> makePeriodicTimer(std::function<void()> work) override;

    // Runs posted work and armed actions until none is left; returns how many
    // pieces of work ran.
    std::size_t runAll();
    // Runs only the posted work queued so far.
    std::size_t runPosted();

    std::size_t pendingPosts() const;
    std::size_t pendingActions() const;
    // Every call of arm(), including the ones that coalesced.
    std::size_t armCalls() const;

    // Periodic timers in creation order: the period of the last start()
    // (zero when stopped or never started).
    std::size_t timerCount() const;
    std::chrono::milliseconds timerPeriod(std::size_t index) const;
    // Runs a running timer's work once, as if its period had passed; false
    // when the timer is stopped.
    bool fireTimer(std::size_t index);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

}  // namespace lanzhou::test
