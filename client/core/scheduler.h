#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace lanzhou::core {

// Work handed to the session thread (the GUI thread of the desktop client,
// the main loop of lanzhou-cli). The dispatcher and every action run there.

// A one-shot piece of work that runs on the session thread about 10 ms after
// it was armed. Arming an action that is armed and has not yet run gives one
// run. arm() may be called from any thread.
class DeferredAction {
public:
    virtual ~DeferredAction() = default;
    virtual void arm() = 0;
};

// Work repeated on the session thread with a period; start() restarts it,
// a period of 0 or less stops it.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
    virtual void start(std::chrono::milliseconds period) = 0;
    virtual void stop() = 0;
};

class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Runs `work` on the session thread, after everything posted before it.
    // May be called from any thread.
    virtual void post(std::function<void()> work) = 0;

    virtual std::unique_ptr<DeferredAction> makeDeferredAction(std::function<void()> work) = 0;
    virtual std::unique_ptr<PeriodicTimer> makePeriodicTimer(std::function<void()> work) = 0;
};

inline constexpr std::chrono::milliseconds kDeferredActionDelay{10};

}  // namespace lanzhou::core
