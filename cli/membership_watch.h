#pragma once

#include <functional>
#include <memory>

#include "client/core/scheduler.h"

namespace lanzhou::core {
struct ClientSession;
}

namespace lanzhou::cli {

// The main window's expiry check: every ten seconds while a paying member is
// logged in, compares the server time with the expiry; once the membership
// has run out it stops and calls `onExpired` (once).
class MembershipWatch final {
public:
    MembershipWatch(core::Scheduler& scheduler, std::function<void()> onExpired);

    // Starts the check for the logged-in member; a free user gets none.
    void start(const core::ClientSession& session);
    void stop();

    static constexpr std::chrono::milliseconds kPeriod{10'000};

private:
    void check();

    std::function<void()> m_onExpired;
    const core::ClientSession* m_session = nullptr;
    std::unique_ptr<core::PeriodicTimer> m_timer;
};

}  // namespace lanzhou::cli
