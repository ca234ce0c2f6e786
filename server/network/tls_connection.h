#pragma once

#include <array>
#include <asio.hpp>
#include <asio/ssl.hpp>
#include <string>

#include "server/network/server_connection.h"

namespace lanzhou::server {

// A member's connection in TLS: the handshake first, within `handshakeLimit`
// (the owner ends the connection at its deadline; nothing here waits), then
// the same requests and answers as in plain TCP.
//
// The TLS stream reads into a buffer of the connection's own, as decrypted
// bytes appear only when a read completes; OpenSSL buffers each connection's
// records anyway. Each write sends a copy of the front of the queue, so that
// ending the connection never frees bytes a write is still encrypting.
class TlsConnection final : public ServerConnection {
public:
    TlsConnection(asio::ip::tcp::socket socket, asio::ssl::context& context, Id id, Limits limits,
                  Owner& owner, Clock::duration handshakeLimit);

    void start() override;

private:
    asio::ip::tcp::socket& socket() override { return m_stream.next_layer(); }
    std::size_t writeNow(std::string_view framed) override;
    void queueGrew() override;

    void onHandshake(const asio::error_code& error);
    void readSome();
    void writeQueued();

    asio::ssl::stream<asio::ip::tcp::socket> m_stream;
    const Clock::duration m_handshakeLimit;
    std::array<char, 4096> m_readBuffer{};
    std::string m_outgoing;  // what the write in progress sends
    bool m_secured = false;  // the handshake succeeded
    bool m_writing = false;
};

}  // namespace lanzhou::server
