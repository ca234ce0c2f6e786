#pragma once

#include <functional>
#include <mutex>

#include "client/core/event_loop.h"

namespace lanzhou::cli {

// The way a thread that may outlive the session hands work to the session
// loop: posts go through while the gate is open and are dropped once it is
// closed (after the loop has ended, before the loop is destroyed).
class LoopGate final {
public:
    explicit LoopGate(core::EventLoop& loop) : m_loop(&loop) {}

    // False when the gate is closed and the work was dropped.
    bool post(std::function<void()> work);
    void close();

private:
    std::mutex m_mutex;
    core::EventLoop* m_loop;
};

}  // namespace lanzhou::cli
