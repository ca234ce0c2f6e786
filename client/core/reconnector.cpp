#include "client/core/reconnector.h"

#include <utility>

#include "client/core/client_session.h"
#include "client/core/request_sender.h"
#include "client/core/session_view.h"
#include "client/core/summary.h"

namespace lanzhou::core {

Reconnector::Reconnector(ReconnectorContext context)
    : m_context(std::move(context)),
      m_timer(m_context.scheduler.makePeriodicTimer([this] { attempt(); })),
      m_end(m_context.scheduler.makeDeferredAction([this] { endSession(); })) {
    if (!m_context.random) {
        m_context.random = systemRandomSource();
    }
}

Reconnector::~Reconnector() = default;

void Reconnector::setEndpoints(std::vector<Endpoint> endpoints) {
    m_endpoints = std::move(endpoints);
    m_inUse = 0;
}

void Reconnector::loginSent(const LoginFields& fields) {
    m_credentials = fields;
}

void Reconnector::stop() {
    m_phase = Phase::Ended;
    m_timer->stop();
}

bool Reconnector::takeOverDrop() {
    if (m_phase == Phase::Ended) {
        return true;  // the session is ending already
    }
    if (!m_context.session.reconnect || !m_loggedIn || m_sentAway || !m_credentials ||
        m_endpoints.empty()) {
        return false;
    }
    if (m_phase == Phase::Live) {
        // What the member has seen: a drop while catching up keeps counting
        // against the lists of the first drop.
        m_catchUp.rememberLists(m_context.alerts);
    }
    m_context.disconnect();
    waitForNextAttempt();
    return true;
}

void Reconnector::sentAway() {
    m_sentAway = true;
    m_timer->stop();
}

void Reconnector::handshakeDone() {
    if (m_phase != Phase::LoggingIn || m_loginSent) {
        return;
    }
    m_loginSent = true;
    m_context.sender.sendRequest(loginRequest(*m_credentials));
}

std::optional<LoginFormState> Reconnector::reloginForm() const {
    if (m_phase != Phase::LoggingIn || !m_credentials) {
        return std::nullopt;
    }
    return LoginFormState{m_credentials->account, m_credentials->password, false};
}

void Reconnector::loggedIn() {
    m_loggedIn = true;
    if (m_phase != Phase::LoggingIn) {
        return;
    }
    m_phase = Phase::CatchingUp;
    m_attempt = 0;
    m_context.view.showReconnected();
}

bool Reconnector::endOnRefusal() {
    if (m_phase != Phase::LoggingIn) {
        return false;
    }
    m_phase = Phase::Ended;
    m_timer->stop();
    m_end->arm();
    return true;
}

void Reconnector::alertArrived(std::string_view id) {
    if (m_phase != Phase::Live) {
        m_catchUp.seen(id);
    }
}

void Reconnector::listReplaced(std::span<const protocol::AlertRecord> records) {
    if (m_phase != Phase::CatchingUp) {
        return;
    }
    m_phase = Phase::Live;
    const int fresh = m_catchUp.countNew(records);
    if (fresh > 0) {
        m_context.view.showSummary(SummaryReason::Reconnect, fresh);
    }
}

void Reconnector::waitForNextAttempt() {
    m_phase = Phase::Waiting;
    ++m_attempt;
    const std::chrono::milliseconds delay = reconnectDelay(m_attempt, m_context.random);
    m_context.view.showReconnecting(m_attempt, delay);
    m_timer->start(delay);
}

void Reconnector::attempt() {
    m_timer->stop();
    if (m_phase != Phase::Waiting) {
        return;
    }
    // The endpoint in use, then the next, in turn.
    const std::size_t index =
        (m_inUse + static_cast<std::size_t>(m_attempt - 1)) % m_endpoints.size();
    m_loginSent = false;
    m_phase = Phase::LoggingIn;
    if (!m_context.connect(m_endpoints[index])) {
        waitForNextAttempt();
        return;
    }
    m_inUse = index;
}

void Reconnector::endSession() {
    m_context.view.showPrompt(m_context.session.promptText);
    m_context.disconnect();
    m_context.view.closeMainOrLogin();
}

}  // namespace lanzhou::core
