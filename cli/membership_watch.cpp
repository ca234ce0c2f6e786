#include "cli/membership_watch.h"

#include "client/core/client_session.h"
#include "client/core/expiry.h"

namespace lanzhou::cli {

MembershipWatch::MembershipWatch(core::Scheduler& scheduler, std::function<void()> onExpired)
    : m_onExpired(std::move(onExpired)),
      m_timer(scheduler.makePeriodicTimer([this] { check(); })) {}

void MembershipWatch::start(const core::ClientSession& session) {
    if (session.userType <= core::kFreeUser) {
        stop();
        return;
    }
    m_session = &session;
    m_timer->start(kPeriod);
}

void MembershipWatch::stop() {
    m_timer->stop();
    m_session = nullptr;
}

void MembershipWatch::check() {
    if (m_session == nullptr ||
        !core::membershipExpired(m_session->expiryTime, m_session->serverTime.now())) {
        return;
    }
    stop();
    m_onExpired();
}

}  // namespace lanzhou::cli
