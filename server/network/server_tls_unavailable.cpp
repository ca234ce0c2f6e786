// ServerTls of a build without OpenSSL: nothing loads, so no TLS listener
// opens and no TLS connection is ever made.

#include "server/network/server_tls.h"

namespace lanzhou::server {

struct ServerTls::Context {};

ServerTls::ServerTls(std::unique_ptr<Context> context) : m_context(std::move(context)) {}
ServerTls::~ServerTls() = default;

Result<std::unique_ptr<ServerTls>> ServerTls::load(const std::filesystem::path&,
                                                   const std::filesystem::path&) {
    return fail("TLS is not available: this server was built without OpenSSL");
}

std::shared_ptr<ServerConnection> ServerTls::connection(asio::ip::tcp::socket, ServerConnection::Id,
                                                        ServerConnection::Limits,
                                                        ServerConnection::Owner&,
                                                        std::chrono::milliseconds) {
    return nullptr;
}

}  // namespace lanzhou::server
