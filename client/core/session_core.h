#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/core/alert_list_model.h"
#include "client/core/client_session.h"
#include "client/core/endpoint.h"
#include "client/core/form_checks.h"
#include "client/core/heartbeat.h"
#include "client/core/message_dispatcher.h"
#include "client/core/quiet_watch.h"
#include "client/core/reconnect_backoff.h"
#include "client/core/reconnector.h"
#include "client/core/request_sender.h"
#include "client/core/server_line.h"
#include "client/core/session_actions.h"
#include "client/core/setting_changes.h"
#include "client/core/startup_settings.h"
#include "client/transport/connection_event.h"
#include "client/transport/erpc_client.h"
#include "config/config_file.h"

namespace lanzhou::core {

class Scheduler;
class SessionView;

// Parses "HOST:PORT" or "tls://HOST:PORT" (the last ":" separates; the port
// is 0-65535; the scheme in any case; a host holding "/" is refused): where
// to connect instead of the built-in line (--server, LANZHOU_SERVER).
[[nodiscard]] std::optional<Endpoint> parseEndpoint(std::string_view text);

// The session without windows: configuration, connection, dispatcher,
// actions and alert lists, wired together. The desktop client and
// lanzhou-cli each build one with their own Scheduler and SessionView.
// Everything but construction runs on the session thread.
class SessionCore final {
public:
    struct Options {
        std::string runDirectory;                     // GBK path text
        std::optional<Endpoint> serverOverride;       // instead of the line xl selects
        std::function<std::string()> adapterAddress;  // default: the platform's
        transport::ERPCClient::Limits limits{};
        // The PEM bundle of authorities a TLS line's certificate must come
        // from (--ca-file); empty: the system's trusted authorities.
        std::string authorityFile;
        // Draws the waits between reconnection attempts; default: the
        // system's random source.
        RandomSource random;
    };

    // Makes sure k_config.ini exists and reads the start-up settings.
    SessionCore(Scheduler& scheduler, SessionView& view, Options options);
    ~SessionCore();  // closes the connection

    const StartupSettings& startupSettings() const { return m_startup; }
    const ServerLine& line() const { return m_line; }

    // Connects to the chosen line (or the override) and sends "#54"; the
    // session's switches and sound file are set from the configuration. A
    // connection lost after login is retried on the line in use and the
    // other built-in line in turn (only the override, when given), if the
    // member switched reconnection on.
    // False when the connection could not be made (the caller shows
    // text::kConnectFailed and ends the program).
    [[nodiscard]] bool open();

    // The login button: checks, then "#a3". The refusal, if any, is for the
    // caller to show and focus.
    [[nodiscard]] std::optional<FormRefusal> login(const LoginFields& fields);
    void rememberBoxClicked(bool ticked, const Credentials& form);
    [[nodiscard]] std::optional<FormRefusal> registerAccount(const RegistrationFields& fields);
    [[nodiscard]] std::optional<FormRefusal> recharge(const RechargeFields& fields);
    [[nodiscard]] std::optional<FormRefusal> changePassword(const ChangePasswordFields& fields);
    [[nodiscard]] std::optional<FormRefusal> retrievePassword(const RetrievePasswordFields& fields);
    // The alert page asks for the whole list ("#59" + user type).
    void requestAlertList();

    // Ends the connection for good (no reconnection either).
    void close();

    ClientSession& session() { return m_session; }
    const ClientSession& session() const { return m_session; }
    AlertListModel& alerts() { return m_alerts; }
    const config::ConfigFile& config() const { return m_config; }
    // What the settings window changes: session fields and their keys.
    SettingChanges& settingChanges() { return m_settingChanges; }
    RequestSender& sender() { return m_sender; }
    transport::ERPCClient& client() { return m_client; }
    const Reconnector& reconnector() const { return m_reconnector; }

private:
    // Connects and sends "#54"; the events of the connection before are
    // dropped.
    bool connectTo(const Endpoint& endpoint);
    // Any thread: a turn of takeEvents() on the session thread for the
    // connection `generation`.
    void postTakeEvents(std::uint64_t generation);
    // On the session thread: handles the events taken from the connection.
    void takeEvents();

    Scheduler& m_scheduler;
    Options m_options;
    config::ConfigFile m_config;
    StartupSettings m_startup;
    ServerLine m_line;
    ClientSession m_session;
    SettingChanges m_settingChanges{m_session, m_config};
    AlertListModel m_alerts;
    transport::ERPCClient m_client;
    TransportRequestSender m_sender;
    Heartbeat m_heartbeat;
    QuietWatch m_quiet;
    SessionActions m_actions;
    Reconnector m_reconnector;
    MessageDispatcher m_dispatcher;
    // The batch taken from the connection and the next event of it to handle.
    std::vector<transport::ConnectionEvent> m_batch;
    std::size_t m_next = 0;
    // Counts the connections made; a turn posted for an earlier one (by its
    // I/O thread, before it was closed) finds it changed and does nothing.
    std::uint64_t m_generation = 0;
    // Held while the core lives; events posted to the session thread check it
    // before they touch the dispatcher.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace lanzhou::core
