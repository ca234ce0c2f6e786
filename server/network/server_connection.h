#pragma once

#include <array>
#include <asio.hpp>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/frame_codec.h"

namespace lanzhou::server {

// One member's connection inside NetworkServer, on its single I/O thread:
// what every connection does whatever carries its bytes. Bytes read are
// decoded, checked against the request limits, unpacked and handed to the
// owner; anything malformed or oversized ends the connection. Answers are
// framed with the connection's own message ids and queued; the queue is
// bounded, and a member that lets it overflow is disconnected.
//
// How the bytes travel is the subclass's part: PlainConnection reads
// reactively into a buffer all connections share and writes at once where
// the socket takes it; TlsConnection does the same through OpenSSL, after
// its handshake.
class ServerConnection : public std::enable_shared_from_this<ServerConnection> {
public:
    using Id = std::uint64_t;
    using Clock = std::chrono::steady_clock;

    struct Limits {
        std::size_t maxRequestBytes = 16 * 1024;
        std::size_t maxQueuedBytes = std::size_t{4} << 20;
    };

    // What the connection needs from the server that owns it.
    class Owner {
    public:
        virtual ~Owner() = default;
        // A complete, unpacked request (GBK, up to its first zero byte).
        virtual void requestReceived(Id id, std::string_view text) = 0;
        // Called once, when the connection has ended for whatever reason.
        // The owner must not destroy the connection from inside this call.
        virtual void connectionEnded(Id id) = 0;
        // Scratch space shared by all connections of the I/O thread.
        virtual std::span<char> readBuffer() = 0;
        virtual std::string& unpackBuffer() = 0;
    };

    virtual ~ServerConnection() = default;
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    virtual void start() = 0;

    // Frames a packed payload with this connection's own message ids and
    // writes or queues it. Ignored once the connection is closing.
    void sendPacked(std::string_view packed);

    // Ends the connection once what is queued has been written; `deadline`
    // bounds how long a member that does not read may hold it open.
    void closeAfterSending(Clock::time_point deadline);

    // Ends the connection now, dropping whatever is queued.
    void end();

    Id id() const { return m_id; }
    bool ended() const { return m_ended; }
    bool closing() const { return m_closing; }
    Clock::time_point lastRequest() const { return m_lastRequest; }
    // The owner ends a connection still open after this time: a close that
    // the member does not let finish, or a handshake that takes too long.
    Clock::time_point deadline() const { return m_deadline; }
    std::size_t queuedBytes() const { return m_queuedBytes; }

protected:
    // Reads taken from one connection before the others get their turn.
    static constexpr int kReadsPerTurn = 4;

    ServerConnection(Id id, Limits limits, Owner& owner);

    virtual asio::ip::tcp::socket& socket() = 0;
    // Writes what the transport takes of `framed` at once, without waiting;
    // returns how much. May end the connection.
    virtual std::size_t writeNow(std::string_view framed) = 0;
    // Something is queued: have the transport write it (see takeQueued).
    virtual void queueGrew() = 0;

    Owner& owner() { return m_owner; }
    void setDeadline(Clock::time_point deadline) { m_deadline = deadline; }

    // Bytes read from the member. False when they break the framing or the
    // limits: the caller ends the connection then. Once our side is closed,
    // whatever still arrives is dropped.
    bool received(std::string_view bytes);

    // The front of the queue as buffers for one gathered write.
    std::span<const asio::const_buffer> queuedBuffers();
    bool hasQueued() const { return !m_queue.empty(); }
    // `written` bytes of the queue were taken; when it empties while
    // closing, our side is shut down.
    void wrote(std::size_t written);

private:
    bool consume(std::string_view bytes);
    bool handleMessage(std::string_view payload);
    void queue(std::string bytes);
    void finishClosing();

    const Id m_id;
    const Limits m_limits;
    Owner& m_owner;

    protocol::ChunkDecoder m_decoder;
    std::vector<protocol::FrameEvent> m_frames;
    std::size_t m_partialBytes = 0;  // bytes fed since the decoder last held nothing
    Clock::time_point m_lastRequest;

    protocol::FrameEncoder m_encoder;
    std::deque<std::string> m_queue;  // framed bytes not yet taken by the transport
    std::size_t m_frontOffset = 0;    // of m_queue.front() already written
    std::size_t m_queuedBytes = 0;
    std::array<asio::const_buffer, 32> m_writeBuffers;

    bool m_closing = false;   // no more requests or answers; flushing
    bool m_draining = false;  // our side is shut down; reading until the peer's end
    bool m_ended = false;
    Clock::time_point m_deadline = Clock::time_point::max();
};

}  // namespace lanzhou::server
