#include "client/core/session_core.h"

#include <string>
#include <utility>

#include "client/core/scheduler.h"
#include "config/run_paths.h"
#include "platform/adapter_address.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::core {

namespace {

SessionCore::Options withDefaults(SessionCore::Options options) {
    if (!options.adapterAddress) {
        options.adapterAddress = [] { return platform::firstAdapterAddress(); };
    }
    return options;
}

// No half-finished write of an earlier run lies beside the configuration
// file when the start-up settings are read (which first writes the file with
// its defaults when it is missing).
StartupSettings readPreparedSettings(const config::ConfigFile& config,
                                     std::string_view runDirectory) {
    platform::removeLeftoverTemporaries(config.path());
    return readStartupSettings(config, runDirectory);
}

}  // namespace

std::optional<Endpoint> parseEndpoint(std::string_view text) {
    constexpr std::string_view kTlsScheme = "tls://";
    bool tls = false;
    if (text.size() >= kTlsScheme.size()) {
        std::string scheme(text.substr(0, kTlsScheme.size()));
        for (char& ch : scheme) {
            if (ch >= 'A' && ch <= 'Z') {
                ch = static_cast<char>(ch - 'A' + 'a');
            }
        }
        if (scheme == kTlsScheme) {
            tls = true;
            text.remove_prefix(kTlsScheme.size());
        }
    }
    const auto colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    const std::string_view portText = text.substr(colon + 1);
    if (portText.empty() || portText.size() > 5) {
        return std::nullopt;
    }
    int port = 0;
    for (const char ch : portText) {
        if (ch < '0' || ch > '9') {
            return std::nullopt;
        }
        port = port * 10 + (ch - '0');
    }
    if (port > 65535) {
        return std::nullopt;
    }
    const std::string_view host = text.substr(0, colon);
    if (host.find('/') != std::string_view::npos) {
        return std::nullopt;  // another scheme, or a path: no host name has "/"
    }
    return Endpoint{std::string(host), port, tls};
}

SessionCore::SessionCore(Scheduler& scheduler, SessionView& view, Options options)
    : m_scheduler(scheduler),
      m_options(withDefaults(std::move(options))),
      m_config(config::configFilePath(platform::pathFromGbk(m_options.runDirectory))),
      m_startup(readPreparedSettings(m_config, m_options.runDirectory)),
      m_client(m_options.limits, m_options.authorityFile),
      m_sender(m_client),
      m_heartbeat(scheduler, m_sender),
      m_quiet(scheduler, m_session, m_alerts, view),
      m_actions(scheduler, m_session, view, m_config, &m_quiet),
      m_reconnector(
          ReconnectorContext{scheduler, m_session, view, m_alerts, m_sender, m_options.random,
                             [this](const Endpoint& endpoint) { return connectTo(endpoint); },
                             [this] { m_client.close(); }}),
      m_dispatcher(DispatcherContext{m_session, view, m_actions, m_alerts, m_sender, m_config,
                                     m_heartbeat, m_options.adapterAddress, &m_reconnector}) {
    m_session.runDirectory = m_options.runDirectory;
    m_settingChanges.onQuietHoursChanged([this] { m_quiet.quietHoursChanged(); });
}

SessionCore::~SessionCore() {
    // After close() no worker calls the handler; events already posted to the
    // session thread find the token gone and do nothing.
    m_client.close();
    m_alive.reset();
}

bool SessionCore::open() {
    m_line = chooseServerLine(m_startup.xl);
    m_session.line = m_line.index;

    // The line in use first, then the other built-in line; an override alone.
    std::vector<Endpoint> endpoints;
    if (m_options.serverOverride) {
        endpoints.push_back(*m_options.serverOverride);
    } else {
        const LineChoice other =
            m_line.index == LineChoice::Netcom ? LineChoice::Telecom : LineChoice::Netcom;
        const ServerLine otherLine = chooseServerLine(lineChoiceText(other));
        endpoints.push_back(Endpoint{m_line.host, m_line.port, m_line.tls});
        endpoints.push_back(Endpoint{otherLine.host, otherLine.port, otherLine.tls});
    }
    m_reconnector.setEndpoints(endpoints);

    if (!connectTo(endpoints.front())) {
        return false;
    }
    m_session.soundHint = m_startup.soundHint;
    m_session.popupHint = m_startup.popupHint;
    m_session.soundFile = m_startup.soundFile;
    m_session.reconnect = m_startup.reconnect;
    m_session.quietFrom = m_startup.quietFrom;
    m_session.quietTo = m_startup.quietTo;
    m_quiet.quietHoursChanged();
    return true;
}

std::optional<FormRefusal> SessionCore::login(const LoginFields& fields) {
    if (auto refusal = checkLogin(fields)) {
        return refusal;
    }
    m_sender.sendRequest(loginRequest(fields));
    m_reconnector.loginSent(fields);
    return std::nullopt;
}

void SessionCore::rememberBoxClicked(bool ticked, const Credentials& form) {
    storeRememberBox(m_config, ticked, form);
}

std::optional<FormRefusal> SessionCore::registerAccount(const RegistrationFields& fields) {
    const auto& settings = m_session.settings;
    if (auto refusal = checkRegistration(fields, settings.registrationClosed)) {
        return refusal;
    }
    m_sender.sendRequest(
        registrationRequest(fields, m_options.adapterAddress(), settings.registrationFlag));
    return std::nullopt;
}

std::optional<FormRefusal> SessionCore::recharge(const RechargeFields& fields) {
    if (auto refusal = checkRecharge(fields)) {
        return refusal;
    }
    m_sender.sendRequest(rechargeRequest(fields));
    return std::nullopt;
}

std::optional<FormRefusal> SessionCore::changePassword(const ChangePasswordFields& fields) {
    if (auto refusal = checkChangePassword(fields)) {
        return refusal;
    }
    m_sender.sendRequest(changePasswordRequest(fields));
    return std::nullopt;
}

std::optional<FormRefusal> SessionCore::retrievePassword(const RetrievePasswordFields& fields) {
    if (auto refusal = checkRetrievePassword(fields)) {
        return refusal;
    }
    m_sender.sendRequest(retrievePasswordRequest(fields));
    return std::nullopt;
}

void SessionCore::requestAlertList() {
    m_sender.sendRequest(protocol::request::alertList(m_session.userType.value));
}

void SessionCore::close() {
    m_reconnector.stop();
    m_client.close();
}

bool SessionCore::connectTo(const Endpoint& endpoint) {
    m_client.close();
    m_batch.clear();
    m_next = 0;
    const std::uint64_t generation = ++m_generation;
    // The I/O thread says once that events wait; the session thread takes
    // them in batches. While it lags they stay in the connection's bounded
    // queue, which stops reading from the socket when full.
    const bool connected = m_client.connectTaking(
        endpoint.port, endpoint.host, [this, generation] { postTakeEvents(generation); },
        endpoint.tls ? transport::ERPCClient::Channel::Tls : transport::ERPCClient::Channel::Plain);
    if (!connected) {
        return false;
    }
    m_sender.sendRequest(protocol::request::kVersion);
    return true;
}

void SessionCore::postTakeEvents(std::uint64_t generation) {
    m_scheduler.post([this, generation, alive = std::weak_ptr<int>(m_alive)] {
        if (alive.lock() && generation == m_generation) {
            takeEvents();
        }
    });
}

void SessionCore::takeEvents() {
    // A handler may open a modal prompt whose nested loop comes here again:
    // the nested turn first carries on with the same batch at m_next, so the
    // order holds, then takes a batch of its own (its wake-up may be for
    // events that came after the outer batch was taken).
    const std::weak_ptr<int> alive = m_alive;
    for (bool took = false;; took = true) {
        // The alerts of the batch share one reading of the clock. A nested
        // turn ends the hold early; the rest of the outer batch then reads
        // the clock for each alert.
        m_dispatcher.holdServerTime(true);
        while (m_next < m_batch.size()) {
            const transport::ConnectionEvent event = std::move(m_batch[m_next++]);
            m_dispatcher.onConnectionEvent(event.kind, event.data);
            if (alive.expired()) {
                return;
            }
            if (event.kind == transport::EventKind::Closed) {
                m_client.close();
            }
        }
        m_dispatcher.holdServerTime(false);
        if (took) {
            return;
        }
        m_batch.clear();
        m_next = 0;
        if (m_client.takeEvents(m_batch)) {
            // More wait: another turn after the work queued meanwhile.
            postTakeEvents(m_generation);
        }
    }
}

}  // namespace lanzhou::core
