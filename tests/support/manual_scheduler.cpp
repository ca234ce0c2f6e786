#include "tests/support/manual_scheduler.h"

#include <algorithm>
#include <utility>

namespace lanzhou::test {

namespace {

struct ActionEntry {
    std::function<void()> work;
    bool armed = false;
};

struct TimerEntry {
    std::function<void()> work;
    std::chrono::milliseconds period{0};
};

}  // namespace

// Shared with the actions and timers, so that one outliving the scheduler (or
// the reverse) stays harmless.
struct ManualScheduler::Shared {
    mutable std::mutex mutex;
    std::deque<std::function<void()>> posts;
    std::deque<std::shared_ptr<ActionEntry>> armed;  // in arming order
    std::vector<std::shared_ptr<TimerEntry>> timers;
    std::size_t armCalls = 0;
};

namespace {

class ManualDeferredAction final : public core::DeferredAction {
public:
    ManualDeferredAction(std::weak_ptr<ManualScheduler::Shared> shared,
                         std::shared_ptr<ActionEntry> entry)
        : m_shared(std::move(shared)), m_entry(std::move(entry)) {}

    ~ManualDeferredAction() override {
        // Destroying an action withdraws its pending run.
        if (const auto shared = m_shared.lock()) {
            std::lock_guard lock(shared->mutex);
            std::erase(shared->armed, m_entry);
        }
    }

    void arm() override {
        const auto shared = m_shared.lock();
        if (!shared) {
            return;
        }
        std::lock_guard lock(shared->mutex);
        ++shared->armCalls;
        if (m_entry->armed) {
            return;
        }
        m_entry->armed = true;
        shared->armed.push_back(m_entry);
    }

private:
    std::weak_ptr<ManualScheduler::Shared> m_shared;
    std::shared_ptr<ActionEntry> m_entry;
};

class ManualPeriodicTimer final : public core::PeriodicTimer {
public:
    ManualPeriodicTimer(std::weak_ptr<ManualScheduler::Shared> shared,
                        std::shared_ptr<TimerEntry> entry)
        : m_shared(std::move(shared)), m_entry(std::move(entry)) {}

    ~ManualPeriodicTimer() override { setPeriod(std::chrono::milliseconds{0}); }

    void start(std::chrono::milliseconds period) override {
        setPeriod(period.count() > 0 ? period : std::chrono::milliseconds{0});
    }
    void stop() override { setPeriod(std::chrono::milliseconds{0}); }

private:
    void setPeriod(std::chrono::milliseconds period) {
        if (const auto shared = m_shared.lock()) {
            std::lock_guard lock(shared->mutex);
            m_entry->period = period;
        }
    }

    std::weak_ptr<ManualScheduler::Shared> m_shared;
    std::shared_ptr<TimerEntry> m_entry;
};

}  // namespace

ManualScheduler::ManualScheduler() : m_shared(std::make_shared<Shared>()) {}

ManualScheduler::~ManualScheduler() = default;

void ManualScheduler::post(std::function<void()> work) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->posts.push_back(std::move(work));
}

std::unique_ptr<core::DeferredAction> ManualScheduler::makeDeferredAction(
    std::function<void()> work) {
    auto entry = std::make_shared<ActionEntry>();
    entry->work = std::move(work);
    return std::make_unique<ManualDeferredAction>(m_shared, std::move(entry));
}

std::unique_ptr<core::PeriodicTimer> ManualScheduler::makePeriodicTimer(
    std::function<void()> work) {
    auto entry = std::make_shared<TimerEntry>();
    entry->work = std::move(work);
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->timers.push_back(entry);
    }
    return std::make_unique<ManualPeriodicTimer>(m_shared, std::move(entry));
}

std::size_t ManualScheduler::runPosted() {
    std::size_t ran = 0;
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(m_shared->mutex);
            if (m_shared->posts.empty()) {
                return ran;
            }
            work = std::move(m_shared->posts.front());
            m_shared->posts.pop_front();
        }
        work();
        ++ran;
    }
}

std::size_t ManualScheduler::runAll() {
    // Bounded, so that an action that re-arms itself forever fails the test
    // instead of hanging it.
    constexpr std::size_t kLimit = 100'000;
    std::size_t ran = 0;
    while (ran < kLimit) {
        ran += runPosted();
        std::shared_ptr<ActionEntry> entry;
        {
            std::lock_guard lock(m_shared->mutex);
            if (m_shared->armed.empty()) {
                if (m_shared->posts.empty()) {
                    return ran;
                }
                continue;
            }
            entry = std::move(m_shared->armed.front());
            m_shared->armed.pop_front();
            entry->armed = false;  // cleared before the work: it may re-arm
        }
        entry->work();
        ++ran;
    }
    return ran;
}

std::size_t ManualScheduler::pendingPosts() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->posts.size();
}

std::size_t ManualScheduler::pendingActions() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->armed.size();
}

std::size_t ManualScheduler::armCalls() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->armCalls;
}

std::size_t ManualScheduler::timerCount() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->timers.size();
}

std::chrono::milliseconds ManualScheduler::timerPeriod(std::size_t index) const {
    std::lock_guard lock(m_shared->mutex);
    return index < m_shared->timers.size() ? m_shared->timers[index]->period
                                           : std::chrono::milliseconds{0};
}

bool ManualScheduler::fireTimer(std::size_t index) {
    std::shared_ptr<TimerEntry> entry;
    {
        std::lock_guard lock(m_shared->mutex);
        if (index >= m_shared->timers.size() || m_shared->timers[index]->period.count() <= 0) {
            return false;
        }
        entry = m_shared->timers[index];
    }
    entry->work();
    return true;
}

}  // namespace lanzhou::test
