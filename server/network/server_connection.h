#pragma once

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

// One member's TCP connection inside NetworkServer, on its single I/O thread.
//
// Reading is reactive: the connection waits until the socket is readable and
// then reads into a buffer shared by all connections (they run on one
// thread), so thousands of idle members cost no read buffers. Complete
// messages are checked against the request limits, unpacked and handed to
// the owner. Anything malformed or oversized ends the connection.
//
// Writing tries the socket at once and queues only what it would not take;
// the queue is bounded, and a member that lets it overflow is disconnected.
class ServerConnection final : public std::enable_shared_from_this<ServerConnection> {
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

    ServerConnection(asio::ip::tcp::socket socket, Id id, Limits limits, Owner& owner);

    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    void start();

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
    Clock::time_point closeDeadline() const { return m_closeDeadline; }
    std::size_t queuedBytes() const { return m_queuedBytes; }

private:
    void waitReadable();
    void onReadable(const asio::error_code& error);
    // False when the bytes break the framing or the limits.
    bool consume(std::string_view bytes);
    bool handleMessage(std::string_view payload);
    void waitWritable();
    void onWritable(const asio::error_code& error);
    void queue(std::string bytes);
    void finishClosing();

    asio::ip::tcp::socket m_socket;
    const Id m_id;
    const Limits m_limits;
    Owner& m_owner;

    protocol::ChunkDecoder m_decoder;
    std::vector<protocol::FrameEvent> m_frames;
    std::size_t m_partialBytes = 0;  // bytes fed since the decoder last held nothing
    Clock::time_point m_lastRequest;

    protocol::FrameEncoder m_encoder;
    std::deque<std::string> m_queue;  // framed bytes not yet taken by the socket
    std::size_t m_frontOffset = 0;    // of m_queue.front() already written
    std::size_t m_queuedBytes = 0;
    bool m_waitingWritable = false;

    bool m_closing = false;   // no more requests or answers; flushing
    bool m_draining = false;  // our side is shut down; reading until the peer's end
    bool m_ended = false;
    Clock::time_point m_closeDeadline = Clock::time_point::max();
};

}  // namespace lanzhou::server
