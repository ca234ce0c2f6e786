#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "client/transport/connection_event.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::config {
class ConfigFile;
}

namespace lanzhou::core {

class ActionArmer;
class AlertListModel;
class ConnectionKeeper;
class Heartbeat;
class RequestSender;
class SessionView;
struct ClientSession;

// Everything the dispatcher works on. References, owned elsewhere.
struct DispatcherContext {
    ClientSession& session;
    SessionView& view;
    ActionArmer& actions;
    AlertListModel& alerts;
    RequestSender& sender;
    const config::ConfigFile& config;
    Heartbeat& heartbeat;
    // The computer's adapter address, for machine-bound logins.
    std::function<std::string()> adapterAddress;
    // Told about drops, logins and list answers; may keep the session across
    // a lost connection. None: a lost connection ends the session.
    ConnectionKeeper* keeper = nullptr;
};

// Gives every server message its effect: fills the session from the
// handshake and answers it, judges the login, arms the account answers'
// prompts, keeps the alert lists, and ends the session on a forced logout or
// a lost connection (unless the keeper takes the lost connection over). Runs
// on the session thread, one event at a time.
class MessageDispatcher final {
public:
    explicit MessageDispatcher(DispatcherContext context);

    // Data: `data` is a packed payload; Closed: the connection is closed.
    void onConnectionEvent(transport::EventKind kind, std::string_view data);

    // One message text (GBK, already unpacked).
    void dispatch(std::string_view text);

    // While held, the alerts dispatched share one reading of the server's
    // clock: SessionCore holds it while it hands over a batch of events. Any
    // other message drops the reading, before and after its handler (which
    // may wait in a nested event loop).
    void holdServerTime(bool hold);

private:
    protocol::DateTime serverNow();

    DispatcherContext m_context;
    bool m_holdServerTime = false;
    std::optional<protocol::DateTime> m_heldNow;
};

}  // namespace lanzhou::core
