#include "server/network/plain_connection.h"

#include <utility>

namespace lanzhou::server {

namespace {

bool wouldBlock(const asio::error_code& error) {
    return error == asio::error::would_block || error == asio::error::try_again;
}

}  // namespace

PlainConnection::PlainConnection(asio::ip::tcp::socket socket, Id id, Limits limits, Owner& owner)
    : ServerConnection(id, limits, owner), m_socket(std::move(socket)) {}

void PlainConnection::start() {
    asio::error_code ignored;
    m_socket.non_blocking(true, ignored);
    // Answers are short and expected at once: do not hold them back.
    m_socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    waitReadable();
}

// ------------------------------------------------------------- receiving

void PlainConnection::waitReadable() {
    m_socket.async_wait(
        asio::ip::tcp::socket::wait_read,
        [this, self = shared_from_this()](const asio::error_code& error) { onReadable(error); });
}

void PlainConnection::onReadable(const asio::error_code& error) {
    if (ended()) {
        return;
    }
    if (error) {
        end();
        return;
    }
    const std::span<char> buffer = owner().readBuffer();
    for (int turn = 0; turn < kReadsPerTurn; ++turn) {
        asio::error_code readError;
        const std::size_t size =
            m_socket.read_some(asio::buffer(buffer.data(), buffer.size()), readError);
        if (wouldBlock(readError)) {
            waitReadable();
            return;
        }
        if (readError || !received(std::string_view(buffer.data(), size))) {
            // The member went away (end of stream), the network failed, or
            // the bytes broke the framing or the limits.
            end();
            return;
        }
        if (ended()) {
            return;
        }
    }
    // More may be waiting: come back after the other connections' turn. The
    // reactor reports readiness on change only, so waiting here could stall.
    asio::post(m_socket.get_executor(),
               [this, self = shared_from_this()] { onReadable(asio::error_code{}); });
}

// --------------------------------------------------------------- sending

std::size_t PlainConnection::writeNow(std::string_view framed) {
    asio::error_code error;
    const std::size_t written = m_socket.write_some(asio::buffer(framed), error);
    if (error && !wouldBlock(error)) {
        end();
        return 0;
    }
    return written;
}

void PlainConnection::queueGrew() {
    if (m_waitingWritable) {
        return;
    }
    m_waitingWritable = true;
    m_socket.async_wait(
        asio::ip::tcp::socket::wait_write,
        [this, self = shared_from_this()](const asio::error_code& error) { onWritable(error); });
}

void PlainConnection::onWritable(const asio::error_code& error) {
    m_waitingWritable = false;
    if (ended()) {
        return;
    }
    if (error) {
        end();
        return;
    }
    asio::error_code writeError;
    const std::size_t written = m_socket.write_some(queuedBuffers(), writeError);
    if (writeError && !wouldBlock(writeError)) {
        end();
        return;
    }
    wrote(written);
    if (hasQueued()) {
        queueGrew();
    }
}

}  // namespace lanzhou::server
