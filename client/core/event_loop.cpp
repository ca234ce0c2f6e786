#include "client/core/event_loop.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace lanzhou::core {

namespace {

// A delay far beyond any period the session uses, small enough that adding it
// to the clock's current reading cannot overflow.
constexpr EventLoop::Clock::duration kLongestDelay = std::chrono::hours(24 * 365 * 50);

EventLoop::Clock::duration boundedDelay(EventLoop::Clock::duration delay) {
    return std::clamp(delay, EventLoop::Clock::duration::zero(), kLongestDelay);
}

}  // namespace

int EventLoop::run() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        // A timer that is due goes first, so a stream of posts cannot starve it;
        // posted work runs in the order it was posted.
        std::function<void()> work;
        if (!m_timers.empty() && m_timers.begin()->first <= Clock::now()) {
            auto node = m_timers.extract(m_timers.begin());
            work = std::move(node.mapped().second);
        } else if (!m_posted.empty()) {
            work = std::move(m_posted.front());
            m_posted.pop_front();
        } else if (m_timers.empty()) {
            m_wake.wait(lock);
            continue;
        } else {
            m_wake.wait_until(lock, m_timers.begin()->first);
            continue;
        }
        lock.unlock();
        if (work) {
            work();
        }
        work = nullptr;  // captured state is released outside the lock
        lock.lock();
    }
    m_quit = false;  // the loop may be run again
    return m_exitCode;
}

void EventLoop::quit(int code) {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_exitCode = code;
    }
    m_wake.notify_all();
}

void EventLoop::post(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(work));
    }
    m_wake.notify_all();
}

EventLoop::TimerId EventLoop::runAfter(Clock::duration delay, std::function<void()> work) {
    TimerId id = 0;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextTimer++;
        m_timers.emplace(Clock::now() + boundedDelay(delay), std::make_pair(id, std::move(work)));
    }
    m_wake.notify_all();
    return id;
}

void EventLoop::cancel(TimerId id) {
    std::function<void()> dropped;
    {
        std::lock_guard lock(m_mutex);
        const auto found = std::find_if(m_timers.begin(), m_timers.end(), [id](const auto& entry) {
            return entry.second.first == id;
        });
        if (found == m_timers.end()) {
            return;
        }
        dropped = std::move(found->second.second);
        m_timers.erase(found);
    }
    // `dropped` is destroyed here, outside the lock: its captures may cancel
    // further timers.
}

// ------------------------------------------------------------ LoopScheduler

namespace {

// Shared between an action and the timers it scheduled, so that a timer that
// fires after the action was destroyed does nothing.
struct DeferredState {
    std::mutex mutex;
    bool armed = false;
    bool alive = true;
    EventLoop::TimerId timer = 0;
    std::function<void()> work;
};

class LoopDeferredAction final : public DeferredAction {
public:
    LoopDeferredAction(EventLoop& loop, std::function<void()> work)
        : m_loop(loop), m_state(std::make_shared<DeferredState>()) {
        m_state->work = std::move(work);
    }

    ~LoopDeferredAction() override {
        EventLoop::TimerId timer = 0;
        {
            std::lock_guard lock(m_state->mutex);
            m_state->alive = false;
            timer = m_state->timer;
        }
        if (timer != 0) {
            m_loop.cancel(timer);
        }
    }

    void arm() override {
        std::lock_guard lock(m_state->mutex);
        if (m_state->armed || !m_state->alive) {
            return;
        }
        m_state->armed = true;
        std::weak_ptr<DeferredState> weak = m_state;
        m_state->timer = m_loop.runAfter(kDeferredActionDelay, [weak] {
            const auto state = weak.lock();
            if (!state) {
                return;
            }
            {
                std::lock_guard inner(state->mutex);
                if (!state->alive) {
                    return;
                }
                // Disarmed before the work runs: arming from inside the work
                // schedules one more run.
                state->armed = false;
                state->timer = 0;
            }
            state->work();
        });
    }

private:
    EventLoop& m_loop;
    std::shared_ptr<DeferredState> m_state;
};

struct PeriodicState {
    std::mutex mutex;
    bool alive = true;
    std::uint64_t generation = 0;  // bumped by every start and stop
    EventLoop::TimerId timer = 0;
    std::chrono::milliseconds period{0};
    std::function<void()> work;
};

class LoopPeriodicTimer final : public PeriodicTimer {
public:
    LoopPeriodicTimer(EventLoop& loop, std::function<void()> work)
        : m_loop(loop), m_state(std::make_shared<PeriodicState>()) {
        m_state->work = std::move(work);
    }

    ~LoopPeriodicTimer() override {
        EventLoop::TimerId timer = 0;
        {
            std::lock_guard lock(m_state->mutex);
            m_state->alive = false;
            ++m_state->generation;
            timer = std::exchange(m_state->timer, 0);
        }
        if (timer != 0) {
            m_loop.cancel(timer);
        }
    }

    void start(std::chrono::milliseconds period) override {
        EventLoop::TimerId previous = 0;
        {
            std::lock_guard lock(m_state->mutex);
            ++m_state->generation;
            previous = std::exchange(m_state->timer, 0);
            m_state->period = period;
            if (period.count() > 0 && m_state->alive) {
                schedule(m_loop, m_state, m_state->generation);
            }
        }
        if (previous != 0) {
            m_loop.cancel(previous);
        }
    }

    void stop() override { start(std::chrono::milliseconds{0}); }

private:
    // Called with the state's mutex held.
    static void schedule(EventLoop& loop, const std::shared_ptr<PeriodicState>& state,
                         std::uint64_t generation) {
        std::weak_ptr<PeriodicState> weak = state;
        state->timer = loop.runAfter(state->period, [&loop, weak, generation] {
            const auto locked = weak.lock();
            if (!locked) {
                return;
            }
            {
                std::lock_guard inner(locked->mutex);
                if (!locked->alive || locked->generation != generation) {
                    return;  // restarted or stopped after this tick was taken
                }
                schedule(loop, locked, generation);
            }
            locked->work();
        });
    }

    EventLoop& m_loop;
    std::shared_ptr<PeriodicState> m_state;
};

}  // namespace

void LoopScheduler::post(std::function<void()> work) {
    m_loop.post(std::move(work));
}

std::unique_ptr<DeferredAction> LoopScheduler::makeDeferredAction(std::function<void()> work) {
    return std::make_unique<LoopDeferredAction>(m_loop, std::move(work));
}

std::unique_ptr<PeriodicTimer> LoopScheduler::makePeriodicTimer(std::function<void()> work) {
    return std::make_unique<LoopPeriodicTimer>(m_loop, std::move(work));
}

}  // namespace lanzhou::core
