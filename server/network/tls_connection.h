#pragma once

#include <openssl/ssl.h>

#include <asio.hpp>

#include "server/network/server_connection.h"

namespace lanzhou::server {

// A member's connection in TLS: the handshake first, within `handshakeLimit`
// (the owner ends the connection at its deadline; nothing here waits), then
// the same requests and answers as in plain TCP.
//
// OpenSSL works on the non-blocking socket (socket_bio.h), and the
// connection waits for readiness like PlainConnection does: records are
// decrypted into the buffer all connections share, and OpenSSL's own buffers
// are let go while a connection is idle (SSL_MODE_RELEASE_BUFFERS on the
// context), so an idle member costs little more than its TLS state. A write
// OpenSSL could not finish is retried with the same bytes, from the front of
// the queue.
class TlsConnection final : public ServerConnection {
public:
    // OpenSSL keeps `context` alive for as long as the connection uses it.
    TlsConnection(asio::ip::tcp::socket socket, SSL_CTX* context, Id id, Limits limits,
                  Owner& owner, Clock::duration handshakeLimit);
    ~TlsConnection() override;

    void start() override;

private:
    asio::ip::tcp::socket& socket() override { return m_socket; }
    std::size_t writeNow(std::string_view framed) override;
    void queueGrew() override;

    // Waits until the socket is ready for `what`, then calls `next`.
    template <class Next>
    void waitFor(asio::socket_base::wait_type what, Next next);
    void handshake();
    void onReadable();
    void onWritable();
    // Writes what OpenSSL takes of `bytes` now; false when the connection
    // failed (and has ended).
    bool write(std::string_view bytes, std::size_t& written);

    asio::ip::tcp::socket m_socket;
    SSL* m_ssl;
    const Clock::duration m_handshakeLimit;
    bool m_secured = false;  // the handshake succeeded
    bool m_waitingWritable = false;
};

}  // namespace lanzhou::server
