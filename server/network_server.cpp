#include "server/network_server.h"

namespace lanzhou::server {

class NetworkServer::Impl final {};

NetworkServer::NetworkServer(const ServiceSettings& settings, Storage& storage)
    : NetworkServer(settings, storage, Options{}) {}

NetworkServer::NetworkServer(const ServiceSettings& /*settings*/, Storage& /*storage*/,
                             Options /*options*/)
    : m_impl(std::make_unique<Impl>()) {}

NetworkServer::~NetworkServer() = default;

bool NetworkServer::listen(const std::string& /*endpoint*/, std::string& error) {
    error = "not implemented yet";
    return false;
}

int NetworkServer::port() const { return 0; }

void NetworkServer::run() {}

void NetworkServer::stop() {}

}  // namespace lanzhou::server
