#include "tests/support/refused_port.h"

#include <asio.hpp>

namespace lanzhou::test {

struct RefusedPort::Socket {
    asio::io_context io;
    asio::ip::tcp::socket socket{io};
};

RefusedPort::RefusedPort() : m_socket(std::make_unique<Socket>()) {
    // Bound without SO_REUSEADDR and without listen(): a connection attempt
    // finds no listener, and no one else can bind the port.
    m_socket->socket.open(asio::ip::tcp::v4());
    m_socket->socket.bind({asio::ip::address_v4::loopback(), 0});
}

RefusedPort::~RefusedPort() = default;

int RefusedPort::port() const {
    return m_socket->socket.local_endpoint().port();
}

}  // namespace lanzhou::test
