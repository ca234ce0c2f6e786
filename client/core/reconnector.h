#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "client/core/catch_up_count.h"
#include "client/core/connection_keeper.h"
#include "client/core/endpoint.h"
#include "client/core/form_checks.h"
#include "client/core/reconnect_backoff.h"
#include "client/core/scheduler.h"

namespace lanzhou::core {

class AlertListModel;
class RequestSender;
class SessionView;
struct ClientSession;

// Everything the reconnector works on. References, owned elsewhere.
struct ReconnectorContext {
    Scheduler& scheduler;
    ClientSession& session;
    SessionView& view;
    const AlertListModel& alerts;
    RequestSender& sender;
    RandomSource random;
    // Connects to the endpoint and sends "#54"; false when no connection
    // could be made.
    std::function<bool(const Endpoint&)> connect;
    // Closes the connection, if one is open.
    std::function<void()> disconnect;
};

// Keeps a logged-in session across lost connections when the member switched
// it on (ClientSession::reconnect). A connection lost after a successful
// login is retried, with waits growing from about 1 s to about 60 s, on the
// endpoints in turn; the handshake runs again, the login goes out with the
// session's credentials once "#58" has been answered, and the list answer
// that follows is counted against the lists as they were (one summary
// instead of a popup per alert). A refused login again, "#ag" or "#ah" end
// the session for good. Session thread only.
class Reconnector final : public ConnectionKeeper {
public:
    explicit Reconnector(ReconnectorContext context);
    ~Reconnector() override;

    Reconnector(const Reconnector&) = delete;
    Reconnector& operator=(const Reconnector&) = delete;

    // The endpoints to try in turn, the one in use first.
    void setEndpoints(std::vector<Endpoint> endpoints);
    // The credentials of the last login request sent.
    void loginSent(const LoginFields& fields);
    // The session is over: no further attempt.
    void stop();

    const std::vector<Endpoint>& endpoints() const { return m_endpoints; }
    // Between a lost connection and the next login.
    bool retrying() const { return m_phase == Phase::Waiting || m_phase == Phase::LoggingIn; }
    // Connected with nothing to catch up (after a reconnection: the list
    // answer has been counted).
    bool live() const { return m_phase == Phase::Live; }

    // ---- ConnectionKeeper
    bool takeOverDrop() override;
    void sentAway() override;
    void handshakeDone() override;
    std::optional<LoginFormState> reloginForm() const override;
    void loggedIn() override;
    bool endOnRefusal() override;
    void alertArrived(std::string_view id) override;
    void listReplaced(std::span<const protocol::AlertRecord> records) override;

private:
    enum class Phase {
        Live,        // connected, nothing to catch up
        Waiting,     // the connection is gone; the next attempt is timed
        LoggingIn,   // connected again; handshake and login under way
        CatchingUp,  // logged in again; the list answer is awaited
        Ended,       // refused or stopped: the session ends
    };

    void waitForNextAttempt();
    void attempt();
    void endSession();

    ReconnectorContext m_context;
    std::unique_ptr<PeriodicTimer> m_timer;  // one-shot: stopped when it fires
    std::unique_ptr<DeferredAction> m_end;
    std::vector<Endpoint> m_endpoints;
    std::size_t m_inUse = 0;
    std::optional<LoginFields> m_credentials;
    CatchUpCount m_catchUp;
    Phase m_phase = Phase::Live;
    int m_attempt = 0;  // of the current outage
    bool m_loggedIn = false;
    bool m_sentAway = false;
    bool m_loginSent = false;  // on the current connection
};

}  // namespace lanzhou::core
