#pragma once

#include <asio.hpp>
#include <chrono>
#include <filesystem>
#include <memory>

#include "base/result.h"
#include "server/network/server_connection.h"

namespace lanzhou::server {

// The server's side of TLS: its certificate chain and key, loaded once, and
// the connections that speak TLS with them. TLS 1.2 or newer only, without
// renegotiation.
//
// Loading refuses a key file that the group or others may read, and a
// certificate or key that cannot be read, is not PEM, or do not belong
// together; the message names the file and what to do. A build without
// OpenSSL refuses every load.
class ServerTls final {
public:
    static Result<std::unique_ptr<ServerTls>> load(const std::filesystem::path& certificate,
                                                   const std::filesystem::path& key);
    ~ServerTls();
    ServerTls(const ServerTls&) = delete;
    ServerTls& operator=(const ServerTls&) = delete;

    // A connection that starts with the server's handshake, which must end
    // within `handshakeLimit`.
    std::shared_ptr<ServerConnection> connection(asio::ip::tcp::socket socket,
                                                 ServerConnection::Id id,
                                                 ServerConnection::Limits limits,
                                                 ServerConnection::Owner& owner,
                                                 std::chrono::milliseconds handshakeLimit);

private:
    struct Context;
    explicit ServerTls(std::unique_ptr<Context> context);
    std::unique_ptr<Context> m_context;
};

}  // namespace lanzhou::server
