#include "platform/do_not_disturb.h"

#include <mutex>

namespace lanzhou::platform {

namespace {

struct Cache {
    std::mutex mutex;
    std::optional<bool> override;
    std::optional<bool> answer;
    std::chrono::steady_clock::time_point askedAt{};
};

Cache& cache() {
    static Cache instance;
    return instance;
}

}  // namespace

bool desktopDoNotDisturb() {
    Cache& c = cache();
    std::lock_guard lock(c.mutex);
    if (c.override) {
        return *c.override;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!c.answer || now - c.askedAt >= kDoNotDisturbLifetime) {
        c.answer = askDesktopDoNotDisturb();
        c.askedAt = now;
    }
    return *c.answer;
}

void overrideDesktopDoNotDisturb(std::optional<bool> state) {
    Cache& c = cache();
    std::lock_guard lock(c.mutex);
    c.override = state;
    c.answer.reset();
}

}  // namespace lanzhou::platform
