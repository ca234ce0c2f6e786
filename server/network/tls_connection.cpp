#include "server/network/tls_connection.h"

#include <openssl/err.h>

#include <climits>
#include <utility>

#include "server/network/socket_bio.h"

namespace lanzhou::server {

TlsConnection::TlsConnection(asio::ip::tcp::socket socket, SSL_CTX* context, Id id, Limits limits,
                             Owner& owner, Clock::duration handshakeLimit)
    : ServerConnection(id, limits, owner),
      m_socket(std::move(socket)),
      m_ssl(SSL_new(context)),
      m_handshakeLimit(handshakeLimit) {}

TlsConnection::~TlsConnection() {
    SSL_free(m_ssl);
}

void TlsConnection::start() {
    asio::error_code ignored;
    m_socket.non_blocking(true, ignored);
    m_socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    setDeadline(Clock::now() + m_handshakeLimit);
    BIO* bio = m_ssl != nullptr ? newSocketBio(m_socket) : nullptr;
    if (bio == nullptr) {
        ERR_clear_error();
        end();
        return;
    }
    SSL_set_bio(m_ssl, bio, bio);
    SSL_set_accept_state(m_ssl);
    handshake();
}

template <class Next>
void TlsConnection::waitFor(asio::socket_base::wait_type what, Next next) {
    m_socket.async_wait(what, [this, self = shared_from_this(),
                               next = std::move(next)](const asio::error_code& error) {
        if (ended()) {
            return;
        }
        if (error) {
            end();
            return;
        }
        next();
    });
}

void TlsConnection::handshake() {
    const int result = SSL_accept(m_ssl);
    if (result == 1) {
        m_secured = true;
        if (!closing()) {
            setDeadline(Clock::time_point::max());
        }
        // Requests may have come with the handshake's last flight.
        onReadable();
        if (!ended() && hasQueued()) {
            onWritable();
        }
        return;
    }
    switch (SSL_get_error(m_ssl, result)) {
        case SSL_ERROR_WANT_READ:
            waitFor(asio::socket_base::wait_read, [this] { handshake(); });
            return;
        case SSL_ERROR_WANT_WRITE:
            waitFor(asio::socket_base::wait_write, [this] { handshake(); });
            return;
        default:
            // Not TLS, a refused version, a broken or abandoned handshake.
            ERR_clear_error();
            end();
    }
}

// ------------------------------------------------------------- receiving

void TlsConnection::onReadable() {
    const std::span<char> buffer = owner().readBuffer();
    const int size = static_cast<int>(std::min<std::size_t>(buffer.size(), INT_MAX));
    for (int turn = 0; turn < kReadsPerTurn; ++turn) {
        const int result = SSL_read(m_ssl, buffer.data(), size);
        if (result > 0) {
            if (!received(std::string_view(buffer.data(), static_cast<std::size_t>(result)))) {
                end();
                return;
            }
            if (ended()) {
                return;
            }
            continue;
        }
        switch (SSL_get_error(m_ssl, result)) {
            case SSL_ERROR_WANT_READ:
                waitFor(asio::socket_base::wait_read, [this] { onReadable(); });
                return;
            case SSL_ERROR_WANT_WRITE:  // answering the peer's key update
                waitFor(asio::socket_base::wait_write, [this] { onReadable(); });
                return;
            default:
                // The member went away (with or without saying so), the
                // network failed, or the records are broken.
                ERR_clear_error();
                end();
                return;
        }
    }
    // More may be waiting, in the socket or already inside OpenSSL: come back
    // after the other connections' turn.
    asio::post(m_socket.get_executor(), [this, self = shared_from_this()] {
        if (!ended()) {
            onReadable();
        }
    });
}

// --------------------------------------------------------------- sending

bool TlsConnection::write(std::string_view bytes, std::size_t& written) {
    written = 0;
    while (written < bytes.size()) {
        const std::size_t rest = std::min<std::size_t>(bytes.size() - written, INT_MAX);
        const int result = SSL_write(m_ssl, bytes.data() + written, static_cast<int>(rest));
        if (result > 0) {
            written += static_cast<std::size_t>(result);
            continue;
        }
        if (SSL_get_error(m_ssl, result) == SSL_ERROR_WANT_WRITE) {
            return true;  // retried with the same bytes once the socket takes more
        }
        ERR_clear_error();
        end();
        return false;
    }
    return true;
}

std::size_t TlsConnection::writeNow(std::string_view framed) {
    if (!m_secured) {
        return 0;  // queued until the handshake is done
    }
    std::size_t written = 0;
    write(framed, written);
    return written;
}

void TlsConnection::queueGrew() {
    if (!m_secured || m_waitingWritable) {
        return;
    }
    m_waitingWritable = true;
    waitFor(asio::socket_base::wait_write, [this] {
        m_waitingWritable = false;
        onWritable();
    });
}

void TlsConnection::onWritable() {
    while (hasQueued()) {
        const std::span<const asio::const_buffer> front = queuedBuffers().first(1);
        const std::string_view bytes(static_cast<const char*>(front[0].data()), front[0].size());
        std::size_t written = 0;
        if (!write(bytes, written)) {
            return;
        }
        wrote(written);
        if (written < bytes.size()) {
            queueGrew();
            return;
        }
    }
}

}  // namespace lanzhou::server
