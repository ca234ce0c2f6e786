#include "server/network/server_connection.h"

#include <algorithm>
#include <utility>

#include "protocol/gbk_text.h"
#include "protocol/packed_payload.h"

namespace lanzhou::server {

namespace {

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

ServerConnection::ServerConnection(Id id, Limits limits, Owner& owner)
    : m_id(id), m_limits(limits), m_owner(owner), m_lastRequest(Clock::now()) {}

// ------------------------------------------------------------- receiving

bool ServerConnection::received(std::string_view bytes) {
    if (m_draining) {
        return true;  // our side is closed: what still arrives is dropped
    }
    return consume(bytes);
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
    const std::size_t written = writeNow(framed);
    if (m_ended || written == framed.size()) {
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
    queueGrew();
}

std::span<const asio::const_buffer> ServerConnection::queuedBuffers() {
    std::size_t count = 0;
    for (auto it = m_queue.begin(); it != m_queue.end() && count < m_writeBuffers.size(); ++it) {
        const std::size_t skip = count == 0 ? m_frontOffset : 0;
        m_writeBuffers[count++] = asio::buffer(it->data() + skip, it->size() - skip);
    }
    return {m_writeBuffers.data(), count};
}

void ServerConnection::wrote(std::size_t written) {
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
    if (m_queue.empty() && m_closing) {
        finishClosing();
    }
}

// --------------------------------------------------------------- closing

void ServerConnection::closeAfterSending(Clock::time_point deadline) {
    if (m_ended || m_closing) {
        return;
    }
    m_closing = true;
    m_deadline = std::min(m_deadline, deadline);
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
    socket().shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
}

void ServerConnection::end() {
    if (m_ended) {
        return;
    }
    m_ended = true;
    asio::error_code ignored;
    socket().shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket().close(ignored);
    m_queue.clear();
    m_frontOffset = 0;
    m_queuedBytes = 0;
    m_frames.clear();
    m_owner.connectionEnded(m_id);
}

}  // namespace lanzhou::server
