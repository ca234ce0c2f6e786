#pragma once

#include <asio.hpp>

#include "server/network/server_connection.h"

namespace lanzhou::server {

// A member's connection in plain TCP.
//
// Reading is reactive: the connection waits until the socket is readable and
// then reads into the buffer shared by all connections (they run on one
// thread), so thousands of idle members cost no read buffers. Writing tries
// the socket at once and queues only what it would not take.
class PlainConnection final : public ServerConnection {
public:
    PlainConnection(asio::ip::tcp::socket socket, Id id, Limits limits, Owner& owner);

    void start() override;

private:
    asio::ip::tcp::socket& socket() override { return m_socket; }
    std::size_t writeNow(std::string_view framed) override;
    void queueGrew() override;

    void waitReadable();
    void onReadable(const asio::error_code& error);
    void onWritable(const asio::error_code& error);

    asio::ip::tcp::socket m_socket;
    bool m_waitingWritable = false;
};

}  // namespace lanzhou::server
