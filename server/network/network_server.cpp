#include "server/network/network_server.h"

#include <algorithm>
#include <array>
#include <asio.hpp>
#include <atomic>
#include <ctime>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"
#include "server/network/plain_connection.h"
#include "server/network/server_tls.h"
#include "server/service/service.h"

namespace lanzhou::server {

namespace {

using Clock = std::chrono::steady_clock;

// How long a connection being closed may take to receive what it was sent.
constexpr std::chrono::seconds kCloseGrace{5};
// Pause before accepting again when the process is out of descriptors.
constexpr std::chrono::milliseconds kAcceptRetry{100};

protocol::DateTime localNow() {
    const std::time_t now = std::time(nullptr);
    // Only the I/O thread asks, so localtime's shared result is safe here.
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) {
        return protocol::DateTime::fromTotalSeconds(static_cast<std::int64_t>(now));
    }
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
            local->tm_hour,        local->tm_min,     local->tm_sec};
}

// "HOST:PORT", "[V6HOST]:PORT"; false when there is no port.
bool splitEndpoint(const std::string& text, std::string& host, std::string& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon + 1 == text.size()) {
        return false;
    }
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    return !port.empty() &&
           std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

class NetworkServer::Impl final : public ServiceOutput, public ServerConnection::Owner {
public:
    Impl(const ServiceSettings& settings, Storage& storage, Options options)
        : m_storage(storage),
          m_options(options),
          m_io(1),
          m_plain(m_io),
          m_secure(m_io),
          m_sweepTimer(m_io),
          m_pollTimer(m_io),
          m_service(settings, storage, *this, localNow),
          m_readBuffer(protocol::kMaxReadSize) {
        const auto heartbeat = std::max(0, settings.session.heartbeatSeconds);
        m_idleLimit = std::chrono::seconds(3 * static_cast<std::int64_t>(heartbeat));
        m_limits.maxRequestBytes = settings.maxRequestBytes;
        m_limits.maxQueuedBytes = settings.maxQueuedBytes;
    }

    bool listen(const std::string& endpoint, std::string& error) {
        return open(m_plain, endpoint, error);
    }

    bool listenTls(const TlsSettings& tls, std::string& error) {
        auto loaded = ServerTls::load(tls.certificate, tls.key);
        if (!loaded) {
            error = loaded.error();
            return false;
        }
        m_tls = std::move(*loaded);
        return open(m_secure, tls.listen, error);
    }

    int port() const { return m_plain.port(); }
    int tlsPort() const { return m_secure.port(); }

    ~Impl() override { stopWaiting(); }

    void run() {
        if (!m_stopped) {
            m_lastEvent = m_storage.lastEventSequence();
            accept(m_plain);
            accept(m_secure);
            armSweep();
            if (auto signal = m_storage.eventSignal()) {
                startWaiting(std::move(signal));
            } else {
                armPoll();
            }
        }
        m_io.run();
        stopWaiting();
        m_io.restart();
    }

    void stop() {
        asio::post(m_io, [this] { shutDown(); });
    }

    // ---- ServiceOutput
    void send(ConnectionId connection, std::string_view text) override {
        const auto found = m_connections.find(connection);
        if (found == m_connections.end() || found->second->ended()) {
            return;
        }
        const std::string packed = protocol::pack(text);
        found->second->sendPacked(packed);
    }

    void sendToMany(std::span<const ConnectionId> connections, std::string_view text) override {
        if (connections.empty()) {
            return;
        }
        const std::string packed = protocol::pack(text);
        for (const ConnectionId id : connections) {
            const auto found = m_connections.find(id);
            if (found != m_connections.end()) {
                found->second->sendPacked(packed);
            }
        }
    }

    void close(ConnectionId connection) override {
        const auto found = m_connections.find(connection);
        if (found != m_connections.end()) {
            found->second->closeAfterSending(Clock::now() + kCloseGrace);
        }
    }

    // ---- ServerConnection::Owner
    void requestReceived(ServerConnection::Id id, std::string_view text) override {
        m_service.request(id, text);
    }

    void connectionEnded(ServerConnection::Id id) override {
        // Called from inside the connection and perhaps from inside the
        // Service: tell the Service later, from a fresh handler.
        asio::post(m_io, [this, id] {
            if (m_connections.erase(id) > 0) {
                m_service.disconnected(id);
            }
        });
    }

    std::span<char> readBuffer() override { return m_readBuffer; }
    std::string& unpackBuffer() override { return m_unpacked; }

private:
    // A listening socket, plain or TLS, and its pause after a failed accept.
    struct Listener {
        explicit Listener(asio::io_context& io) : acceptor(io), retry(io) {}
        int port() const {
            asio::error_code ignored;
            return acceptor.is_open() ? acceptor.local_endpoint(ignored).port() : 0;
        }
        asio::ip::tcp::acceptor acceptor;
        asio::steady_timer retry;
    };

    bool open(Listener& listener, const std::string& endpoint, std::string& error) {
        asio::ip::tcp::acceptor& acceptor = listener.acceptor;
        std::string host;
        std::string port;
        if (!splitEndpoint(endpoint, host, port)) {
            error = "listen address \"" + endpoint + "\" is not HOST:PORT";
            return false;
        }
        asio::error_code code;
        asio::ip::tcp::resolver resolver(m_io);
        const auto results = resolver.resolve(host, port, asio::ip::tcp::resolver::passive, code);
        if (code || results.empty()) {
            error = "cannot resolve \"" + host + "\": " + code.message();
            return false;
        }
        const asio::ip::tcp::endpoint where = results.begin()->endpoint();
        acceptor.open(where.protocol(), code);
        if (!code) {
            acceptor.set_option(asio::socket_base::reuse_address(true), code);
        }
        if (!code) {
            acceptor.bind(where, code);
        }
        if (!code) {
            acceptor.listen(asio::socket_base::max_listen_connections, code);
        }
        if (code) {
            error = "cannot listen on " + endpoint + ": " + code.message();
            asio::error_code ignored;
            acceptor.close(ignored);
            return false;
        }
        return true;
    }

    void accept(Listener& listener) {
        if (!listener.acceptor.is_open()) {
            return;
        }
        listener.acceptor.async_accept(
            [this, &listener](const asio::error_code& error, asio::ip::tcp::socket socket) {
                if (m_stopped || error == asio::error::operation_aborted) {
                    return;
                }
                if (error) {
                    // Out of descriptors or a connection reset while queued:
                    // try again shortly instead of spinning.
                    listener.retry.expires_after(kAcceptRetry);
                    listener.retry.async_wait([this, &listener](const asio::error_code& waitError) {
                        if (!waitError && !m_stopped) {
                            accept(listener);
                        }
                    });
                    return;
                }
                const ConnectionId id = ++m_lastId;
                std::shared_ptr<ServerConnection> connection;
                if (&listener == &m_secure) {
                    connection = m_tls->connection(std::move(socket), id, m_limits, *this,
                                                   m_options.handshakeLimit);
                } else {
                    connection =
                        std::make_shared<PlainConnection>(std::move(socket), id, m_limits, *this);
                }
                m_connections.emplace(id, connection);
                m_service.connected(id);
                connection->start();
                accept(listener);
            });
    }

    // A quarter of the shortest limit the sweep enforces, within 0.1 to 1 s.
    std::chrono::milliseconds sweepInterval() const {
        std::chrono::milliseconds shortest = std::chrono::seconds(4);
        if (m_idleLimit.count() > 0) {
            shortest = std::min<std::chrono::milliseconds>(shortest, m_idleLimit);
        }
        if (m_tls) {
            shortest = std::min(shortest, m_options.handshakeLimit);
        }
        return std::clamp(shortest / 4, std::chrono::milliseconds(100),
                          std::chrono::milliseconds(1000));
    }

    // Ends connections silent for longer than the idle limit, closing ones
    // whose member has not taken their last messages in time and TLS ones
    // whose handshake has not finished in time.
    void armSweep() {
        m_sweepTimer.expires_after(sweepInterval());
        m_sweepTimer.async_wait([this](const asio::error_code& error) {
            if (error || m_stopped) {
                return;
            }
            const auto now = Clock::now();
            m_expired.clear();
            for (const auto& [id, connection] : m_connections) {
                if (connection->ended()) {
                    continue;
                }
                const bool idle = m_idleLimit.count() > 0 && !connection->closing() &&
                                  now - connection->lastRequest() > m_idleLimit;
                if (idle || now > connection->deadline()) {
                    m_expired.push_back(connection);
                }
            }
            for (const auto& connection : m_expired) {
                connection->end();
            }
            m_expired.clear();
            armSweep();
        });
    }

    void armPoll() {
        m_pollTimer.expires_after(m_options.operatorPoll);
        m_pollTimer.async_wait([this](const asio::error_code& error) {
            if (error || m_stopped) {
                return;
            }
            readEvents();
            armPoll();
        });
    }

    // Passes on every event after the last one passed on. A read that fails
    // (the database away) changes nothing: the next one starts from there.
    void readEvents() {
        for (;;) {
            const std::vector<OperatorEvent> events = m_storage.eventsAfter(m_lastEvent);
            for (const OperatorEvent& event : events) {
                m_lastEvent = std::max(m_lastEvent, event.sequence);
                m_service.operatorEvent(event);
            }
            if (events.empty() || m_stopped) {
                return;
            }
        }
    }

    // The waiting thread asks the I/O thread to read the log when signalled,
    // and at least every safetyPoll; one request waits at most at a time. It
    // waits in short slices to notice the end of run() soon.
    void startWaiting(std::unique_ptr<EventSignal> signal) {
        m_waiting = true;
        m_waiter = std::thread([this, signal = std::move(signal)] {
            constexpr std::chrono::milliseconds kSlice{200};
            auto nextSafetyRead = Clock::now() + m_options.safetyPoll;
            while (m_waiting) {
                const bool signalled = signal->wait(kSlice);
                if (!signalled && Clock::now() < nextSafetyRead) {
                    continue;
                }
                nextSafetyRead = Clock::now() + m_options.safetyPoll;
                if (!m_readRequested.exchange(true)) {
                    asio::post(m_io, [this] {
                        m_readRequested = false;
                        if (!m_stopped) {
                            readEvents();
                        }
                    });
                }
            }
        });
    }

    void stopWaiting() {
        m_waiting = false;
        if (m_waiter.joinable()) {
            m_waiter.join();
        }
    }

    void shutDown() {
        if (m_stopped) {
            return;
        }
        m_stopped = true;
        asio::error_code ignored;
        m_plain.acceptor.close(ignored);
        m_secure.acceptor.close(ignored);
        m_plain.retry.cancel();
        m_secure.retry.cancel();
        m_sweepTimer.cancel();
        m_pollTimer.cancel();
        std::vector<std::shared_ptr<ServerConnection>> all;
        all.reserve(m_connections.size());
        for (const auto& entry : m_connections) {
            all.push_back(entry.second);
        }
        for (const auto& connection : all) {
            connection->end();
        }
        // The posted connectionEnded handlers tell the Service; then run()
        // finds no more work and returns.
    }

    Storage& m_storage;
    const Options m_options;
    asio::io_context m_io;
    Listener m_plain;
    Listener m_secure;
    std::unique_ptr<ServerTls> m_tls;
    asio::steady_timer m_sweepTimer;
    asio::steady_timer m_pollTimer;
    Service m_service;
    ServerConnection::Limits m_limits;
    std::chrono::seconds m_idleLimit{0};
    std::unordered_map<ConnectionId, std::shared_ptr<ServerConnection>> m_connections;
    std::vector<std::shared_ptr<ServerConnection>> m_expired;
    std::vector<char> m_readBuffer;
    std::string m_unpacked;
    ConnectionId m_lastId = 0;
    std::int64_t m_lastEvent = 0;
    bool m_stopped = false;
    std::thread m_waiter;
    std::atomic<bool> m_waiting{false};
    std::atomic<bool> m_readRequested{false};
};

NetworkServer::NetworkServer(const ServiceSettings& settings, Storage& storage)
    : NetworkServer(settings, storage, Options{}) {}

NetworkServer::NetworkServer(const ServiceSettings& settings, Storage& storage, Options options)
    : m_impl(std::make_unique<Impl>(settings, storage, options)) {}

NetworkServer::~NetworkServer() = default;

bool NetworkServer::listen(const std::string& endpoint, std::string& error) {
    return m_impl->listen(endpoint, error);
}

bool NetworkServer::listenTls(const TlsSettings& tls, std::string& error) {
    return m_impl->listenTls(tls, error);
}

int NetworkServer::port() const {
    return m_impl->port();
}

int NetworkServer::tlsPort() const {
    return m_impl->tlsPort();
}

void NetworkServer::run() {
    m_impl->run();
}

void NetworkServer::stop() {
    m_impl->stop();
}

}  // namespace lanzhou::server
