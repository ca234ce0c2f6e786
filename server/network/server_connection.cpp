#include "server/network/server_connection.h"

#include <array>
#include <utility>

#include "protocol/gbk_text.h"
#include "protocol/packed_payload.h"

namespace lanzhou::server {

namespace {

// Reads taken from one connection before the others get their turn.
constexpr int kReadsPerTurn = 4;
// Buffers handed to one gathered write.
constexpr std::size_t kBuffersPerWrite = 32;

// Framing around a request of `limit` bytes: the frame header and one chunk
// header per 8192 bytes of frame.
std::size_t framedLimit(std::size_t limit) {
    const std::size_t frame = limit + 64;
    return frame + protocol::kChunkHeaderSize * (frame / protocol::kMaxChunkData + 2);
}

std::uint32_t announcedLength(std::string_view payload) {
    std::uint32_t value = 0;
    for (std::size_t i = 8; i-- > 4;) {
        value = (value << 8) | static_cast<unsigned char>(payload[i]);
    }
    return value;
}

}  // namespace

ServerConnection::ServerConnection(asio::ip::tcp::socket socket, Id id, Limits limits, Owner& owner)
    : m_socket(std::move(socket)),
      m_id(id),
      m_limits(limits),
      m_owner(owner),
      m_lastRequest(Clock::now()) {}

void ServerConnection::start() {
    asio::error_code ignored;
    m_socket.non_blocking(true, ignored);
    // Answers are short and expected at once: do not hold them back.
    m_socket.set_option(asio::ip::tcp::no_delay(true), ignored);
    waitReadable();
}

// ------------------------------------------------------------- receiving

void ServerConnection::waitReadable() {
    m_socket.async_wait(
        asio::ip::tcp::socket::wait_read,
        [self = shared_from_this()](const asio::error_code& error) { self->onReadable(error); });
}

void ServerConnection::onReadable(const asio::error_code& error) {
    if (m_ended) {
        return;
    }
    if (error) {
        end();
        return;
    }
    const std::span<char> buffer = m_owner.readBuffer();
    for (int turn = 0; turn < kReadsPerTurn; ++turn) {
        asio::error_code readError;
        const std::size_t size =
            m_socket.read_some(asio::buffer(buffer.data(), buffer.size()), readError);
        if (readError == asio::error::would_block || readError == asio::error::try_again) {
            waitReadable();
            return;
        }
        if (readError) {
            end();  // the member went away (end of stream) or the network failed
            return;
        }
        if (m_draining) {
            continue;  // our side is closed: what still arrives is dropped
        }
        if (!consume(std::string_view(buffer.data(), size))) {
            end();
            return;
        }
        if (m_ended) {
            return;
        }
    }
    // More may be waiting: come back after the other connections' turn. The
    // reactor reports readiness on change only, so waiting here could stall.
    asio::post(m_socket.get_executor(),
               [self = shared_from_this()] { self->onReadable(asio::error_code{}); });
}

bool ServerConnection::consume(std::string_view bytes) {
    m_frames.clear();
    const auto status = m_decoder.feed(bytes, m_frames);
    if (status != protocol::ChunkDecoder::Status::Ok) {
        return false;
    }
    const bool partial = m_decoder.hasPartial();
    if (m_frames.empty() && !partial) {
        // Bytes that neither completed a message nor left anything to wait
        // for were thrown away as not being a chunk.
        return false;
    }
    // The decoder holds at most what arrived since it last held nothing; if a
    // message completed in this read, what it holds now came in this read.
    if (!partial) {
        m_partialBytes = 0;
    } else if (!m_frames.empty()) {
        m_partialBytes = bytes.size();
    } else {
        m_partialBytes += bytes.size();
    }
    if (m_partialBytes > framedLimit(m_limits.maxRequestBytes)) {
        return false;  // a request far larger than any the protocol has
    }
    for (const auto& frame : m_frames) {
        if (frame.kind == protocol::FrameEvent::Kind::Closed) {
            return false;
        }
        if (m_closing) {
            return true;
        }
        if (!handleMessage(frame.data)) {
            return false;
        }
        if (m_ended) {
            return true;
        }
    }
    return true;
}

bool ServerConnection::handleMessage(std::string_view payload) {
    if (payload.size() > m_limits.maxRequestBytes ||
        payload.size() < protocol::kPayloadHeaderSize ||
        announcedLength(payload) > m_limits.maxRequestBytes) {
        return false;
    }
    std::string& text = m_owner.unpackBuffer();
    if (!protocol::unpack(payload, text)) {
        return false;
    }
    m_lastRequest = Clock::now();
    m_owner.requestReceived(m_id, protocol::untilZero(text));
    return true;
}

// --------------------------------------------------------------- sending

void ServerConnection::sendPacked(std::string_view packed) {
    if (m_ended || m_closing) {
        return;
    }
    std::string framed = m_encoder.encode(packed);
    if (framed.empty()) {
        return;
    }
    if (!m_queue.empty()) {
        queue(std::move(framed));
        return;
    }
    asio::error_code error;
    const std::size_t written = m_socket.write_some(asio::buffer(framed), error);
    if (error && error != asio::error::would_block && error != asio::error::try_again) {
        end();
        return;
    }
    if (written == framed.size()) {
        return;
    }
    framed.erase(0, written);
    queue(std::move(framed));
}

void ServerConnection::queue(std::string bytes) {
    if (m_queuedBytes + bytes.size() > m_limits.maxQueuedBytes) {
        // The member does not read what it is sent: rather than keep
        // growing its queue, let it go.
        end();
        return;
    }
    m_queuedBytes += bytes.size();
    m_queue.push_back(std::move(bytes));
    waitWritable();
}

void ServerConnection::waitWritable() {
    if (m_waitingWritable) {
        return;
    }
    m_waitingWritable = true;
    m_socket.async_wait(
        asio::ip::tcp::socket::wait_write,
        [self = shared_from_this()](const asio::error_code& error) { self->onWritable(error); });
}

void ServerConnection::onWritable(const asio::error_code& error) {
    m_waitingWritable = false;
    if (m_ended) {
        return;
    }
    if (error) {
        end();
        return;
    }
    std::array<asio::const_buffer, kBuffersPerWrite> buffers;
    std::size_t count = 0;
    for (auto it = m_queue.begin(); it != m_queue.end() && count < buffers.size(); ++it) {
        const std::size_t skip = count == 0 ? m_frontOffset : 0;
        buffers[count++] = asio::buffer(it->data() + skip, it->size() - skip);
    }
    asio::error_code writeError;
    std::size_t written =
        m_socket.write_some(std::span<const asio::const_buffer>(buffers.data(), count), writeError);
    if (writeError && writeError != asio::error::would_block &&
        writeError != asio::error::try_again) {
        end();
        return;
    }
    m_queuedBytes -= written;
    while (written > 0) {
        const std::size_t rest = m_queue.front().size() - m_frontOffset;
        if (written < rest) {
            m_frontOffset += written;
            break;
        }
        written -= rest;
        m_queue.pop_front();
        m_frontOffset = 0;
    }
    if (!m_queue.empty()) {
        waitWritable();
    } else if (m_closing) {
        finishClosing();
    }
}

// --------------------------------------------------------------- closing

void ServerConnection::closeAfterSending(Clock::time_point deadline) {
    if (m_ended || m_closing) {
        return;
    }
    m_closing = true;
    m_closeDeadline = deadline;
    if (m_queue.empty()) {
        finishClosing();
    }
}

void ServerConnection::finishClosing() {
    // Shut down our side and read on until the member closes too: closing
    // with unread input would reset the connection, and the member could
    // lose the last messages it was sent.
    m_draining = true;
    asio::error_code ignored;
    m_socket.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
}

void ServerConnection::end() {
    if (m_ended) {
        return;
    }
    m_ended = true;
    asio::error_code ignored;
    m_socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    m_socket.close(ignored);
    m_queue.clear();
    m_queuedBytes = 0;
    m_frames.clear();
    m_owner.connectionEnded(m_id);
}

}  // namespace lanzhou::server
