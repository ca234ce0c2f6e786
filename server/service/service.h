#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "protocol/date_time.h"
#include "server/service/service_settings.h"
#include "server/storage/storage.h"

namespace lanzhou::server {

using ConnectionId = std::uint64_t;

// Where the service's answers go: the network server, or a test.
class ServiceOutput {
public:
    virtual ~ServiceOutput() = default;
    // One message text (GBK) to one connection.
    virtual void send(ConnectionId connection, std::string_view text) = 0;
    // The same message to many connections (packed once).
    virtual void sendToMany(std::span<const ConnectionId> connections, std::string_view text) = 0;
    // Ends the connection after what was queued for it has been written.
    virtual void close(ConnectionId connection) = 0;
};

// The server side of every exchange of the catalogue, without sockets:
// handshake answers, logins (one connection per account: a second login
// sends "#ag" to the older one), registration, recharge, password change and
// retrieval, alert lists, and the fan-out of operator events. Single-threaded:
// the network server calls it from its one I/O thread.
class Service final {
public:
    using Clock = std::function<protocol::DateTime()>;  // the server's local time

    Service(const ServiceSettings& settings, Storage& storage, ServiceOutput& output, Clock now);
    ~Service();

    void connected(ConnectionId connection);
    void request(ConnectionId connection, std::string_view text);  // one unpacked request
    void disconnected(ConnectionId connection);
    void operatorEvent(const OperatorEvent& event);

    std::size_t connectionCount() const;
    std::size_t memberCount() const;  // connections logged in

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::server
