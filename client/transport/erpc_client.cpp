#include "client/transport/erpc_client.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "base/diagnostics.h"
#include "client/transport/connection.h"
#include "client/transport/connection_event.h"
#include "client/transport/host_lookup.h"
#include "client/transport/tls_context.h"

namespace lanzhou::transport {

// Ownership of the connection's threads: whoever takes the live connection
// out of m_connection shuts it down and joins its event thread. The event
// thread cannot join itself; when it is the one closing (a closed event, or
// close() from inside the handler) the connection is parked in m_retired,
// and the next close(), connect() or the destructor joins it.
class ERPCClient::Impl final {
public:
    Impl(Limits limits, std::string authorityFile)
        : m_limits(limits), m_authorityFile(std::move(authorityFile)) {}

    ~Impl() {
        {
            // A connect() may still be on its way out on another thread.
            std::lock_guard connecting(m_connectMutex);
        }
        close();
        std::shared_ptr<Connection> retired;
        {
            std::lock_guard lock(m_mutex);
            retired = std::move(m_retired);
        }
        if (retired && !retired->joinEventThread()) {
            // Destroyed from inside its own handler: the event thread only
            // touches its connection (which it keeps alive) from here on.
            retired->detachEventThread();
        }
    }

    // Connects and starts the connection with `start`.
    template <typename Start>
    bool connect(int port, const std::string& host, Channel channel, Start start) {
        if (port < 0 || port > 65535) {
            return false;
        }
        joinRetired();
        std::lock_guard connecting(m_connectMutex);
        if (connected()) {
            return false;
        }
        const auto endpoint = lookUpEndpoint(host, static_cast<std::uint16_t>(port));
        if (!endpoint) {
            return false;
        }
        std::optional<Connection::Tls> tls;
        if (channel == Channel::Tls) {
            auto context = tlsContext();
            if (!context) {
                return false;
            }
            tls = Connection::Tls{std::move(context), host, m_limits.handshake};
        }
        auto connection =
            Connection::open(*endpoint, m_limits.connect, m_limits.idle,
                             {m_limits.queueBytes, m_limits.queueEvents}, tls ? &*tls : nullptr);
        if (!connection) {
            return false;
        }
        std::lock_guard lock(m_mutex);
        if (m_connection) {
            return false;
        }
        // Installed before the threads start, so that a closed event that
        // arrives at once finds its connection.
        m_connection = connection;
        m_connected = true;
        const bool started = start(*connection);
        if (!started) {
            m_connection.reset();
            m_connected = false;
        }
        return started;
    }

    bool connectWithHandler(int port, const std::string& host, EventHandler handler,
                            Channel channel) {
        if (!handler) {
            return false;
        }
        return connect(port, host, channel, [this, &handler](Connection& connection) {
            return connection.start(
                std::move(handler),
                [this](const std::shared_ptr<Connection>& self) { closeFromEventThread(self); });
        });
    }

    bool connectTaking(int port, const std::string& host, EventsReady ready, Channel channel) {
        if (!ready) {
            return false;
        }
        return connect(port, host, channel, [&ready](Connection& connection) {
            return connection.start(std::move(ready));
        });
    }

    std::shared_ptr<Connection> live() const {
        std::lock_guard lock(m_mutex);
        return m_connection;
    }

    bool send(std::string_view message) {
        const std::shared_ptr<Connection> connection = live();
        if (!connection) {
            return false;
        }
        if (!message.empty()) {
            connection->send(message);
        }
        return true;
    }

    void close() {
        std::shared_ptr<Connection> live;
        std::shared_ptr<Connection> retired;
        {
            std::lock_guard lock(m_mutex);
            live = std::move(m_connection);
            m_connected = false;
            if (m_retired && !m_retired->isEventThread()) {
                retired = std::move(m_retired);
            }
            if (live) {
                live->requestStop();
                if (live->isEventThread()) {
                    m_retired = live;  // joined later, by another thread
                }
            }
        }
        if (live) {
            live->shutdown();
            live->joinEventThread();  // no-op on its own event thread
        }
        if (retired) {
            retired->joinEventThread();
        }
    }

    bool connected() const { return m_connected.load(); }

private:
    // After the handler has returned for a closed event.
    void closeFromEventThread(const std::shared_ptr<Connection>& connection) {
        std::shared_ptr<Connection> previous;
        {
            std::lock_guard lock(m_mutex);
            if (m_connection != connection) {
                return;  // closed meanwhile by someone else
            }
            m_connection.reset();
            m_connected = false;
            connection->requestStop();
            previous = std::exchange(m_retired, connection);
        }
        connection->shutdown();
        if (previous) {
            previous->joinEventThread();
        }
    }

    // The TLS context, made at the first TLS connection and kept for the
    // next ones; null (and the reason reported) when it cannot be made.
    // Under m_connectMutex.
    std::shared_ptr<TlsContext> tlsContext() {
        if (!m_tlsContext) {
            auto made = makeClientTlsContext(m_authorityFile);
            if (!made) {
                reportDiagnostic("transport", "TLS: " + made.error());
                return nullptr;
            }
            m_tlsContext = std::move(*made);
        }
        return m_tlsContext;
    }

    void joinRetired() {
        std::shared_ptr<Connection> retired;
        {
            std::lock_guard lock(m_mutex);
            if (m_retired && !m_retired->isEventThread()) {
                retired = std::move(m_retired);
            }
        }
        if (retired) {
            retired->joinEventThread();
        }
    }

    const Limits m_limits;
    const std::string m_authorityFile;
    std::shared_ptr<TlsContext> m_tlsContext;  // under m_connectMutex
    std::mutex m_connectMutex;                 // one connect() at a time
    mutable std::mutex m_mutex;                // m_connection, m_retired
    std::shared_ptr<Connection> m_connection;
    std::shared_ptr<Connection> m_retired;
    std::atomic<bool> m_connected{false};
};

ERPCClient::ERPCClient() : ERPCClient(Limits{}) {}

ERPCClient::ERPCClient(Limits limits, std::string authorityFile)
    : m_impl(std::make_unique<Impl>(limits, std::move(authorityFile))) {}

ERPCClient::~ERPCClient() {
    m_impl->close();
}

bool ERPCClient::connect(int port, const std::string& host, EventHandler handler, Channel channel) {
    return m_impl->connectWithHandler(port, host, std::move(handler), channel);
}

bool ERPCClient::connectTaking(int port, const std::string& host, EventsReady ready,
                               Channel channel) {
    return m_impl->connectTaking(port, host, std::move(ready), channel);
}

bool ERPCClient::takeEvents(std::vector<ConnectionEvent>& batch) {
    const auto connection = m_impl->live();
    return connection != nullptr && connection->takeEvents(batch);
}

std::size_t ERPCClient::waitingBytes() const {
    const auto connection = m_impl->live();
    return connection != nullptr ? connection->waitingBytes() : 0;
}

bool ERPCClient::send(std::string_view message) {
    return m_impl->send(message);
}

void ERPCClient::close() {
    m_impl->close();
}

bool ERPCClient::connected() const {
    return m_impl->connected();
}

int ERPCClient::eventKind(const ConnectionEvent* event) const {
    if (event == nullptr || !m_impl->connected()) {
        return -1;
    }
    return static_cast<int>(event->kind);
}

std::optional<std::string_view> ERPCClient::eventData(const ConnectionEvent* event) const {
    if (event == nullptr || !m_impl->connected() || event->kind != EventKind::Data) {
        return std::nullopt;
    }
    return std::string_view(event->data);
}

}  // namespace lanzhou::transport
