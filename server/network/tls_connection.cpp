#include "server/network/tls_connection.h"

#include <utility>

namespace lanzhou::server {

namespace {

// Bytes of the queue copied into one write.
constexpr std::size_t kWriteSize = 64 * 1024;

}  // namespace

TlsConnection::TlsConnection(asio::ip::tcp::socket socket, asio::ssl::context& context, Id id,
                             Limits limits, Owner& owner, Clock::duration handshakeLimit)
    : ServerConnection(id, limits, owner),
      m_stream(std::move(socket), context),
      m_handshakeLimit(handshakeLimit) {}

void TlsConnection::start() {
    asio::error_code ignored;
    socket().set_option(asio::ip::tcp::no_delay(true), ignored);
    setDeadline(Clock::now() + m_handshakeLimit);
    m_stream.async_handshake(
        asio::ssl::stream_base::server,
        [this, self = shared_from_this()](const asio::error_code& error) { onHandshake(error); });
}

void TlsConnection::onHandshake(const asio::error_code& error) {
    if (ended()) {
        return;
    }
    if (error) {
        end();  // not TLS, a refused version, a broken or abandoned handshake
        return;
    }
    m_secured = true;
    if (!closing()) {
        setDeadline(Clock::time_point::max());
    }
    readSome();
    if (hasQueued()) {
        writeQueued();
    }
}

void TlsConnection::readSome() {
    m_stream.async_read_some(
        asio::buffer(m_readBuffer),
        [this, self = shared_from_this()](const asio::error_code& error, std::size_t size) {
            if (ended()) {
                return;
            }
            if (error || !received(std::string_view(m_readBuffer.data(), size))) {
                end();
                return;
            }
            if (!ended()) {
                readSome();
            }
        });
}

std::size_t TlsConnection::writeNow(std::string_view) {
    return 0;  // everything goes through the queue and an asynchronous write
}

void TlsConnection::queueGrew() {
    if (m_secured && !m_writing) {
        writeQueued();
    }
}

void TlsConnection::writeQueued() {
    m_outgoing.clear();
    for (const asio::const_buffer& buffer : queuedBuffers()) {
        if (!m_outgoing.empty() && m_outgoing.size() + buffer.size() > kWriteSize) {
            break;
        }
        m_outgoing.append(static_cast<const char*>(buffer.data()), buffer.size());
    }
    m_writing = true;
    asio::async_write(
        m_stream, asio::buffer(m_outgoing),
        [this, self = shared_from_this()](const asio::error_code& error, std::size_t) {
            m_writing = false;
            if (ended()) {
                return;
            }
            if (error) {
                end();
                return;
            }
            wrote(m_outgoing.size());
            if (hasQueued() && !ended()) {
                writeQueued();
            }
        });
}

}  // namespace lanzhou::server
