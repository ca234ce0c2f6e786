#pragma once

#include <array>
#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "client/transport/connection_event.h"
#include "client/transport/event_queue.h"
#include "client/transport/tls_context.h"
#include "client/transport/tls_stream.h"
#include "protocol/frame_codec.h"

namespace lanzhou::transport {

// One open TCP connection of ERPCClient with its two threads.
//
// The I/O thread runs an io_context with the receive loop (async_read_some
// into a ChunkDecoder) and the send loop (one message at a time from a FIFO
// queue, framed and written with async_write_some). Both idle rules use
// steady_timers that exist only while there is something to time: a partial
// chunk on the receiving side, a write in flight on the sending side. An idle
// connection therefore sleeps in the reactor without wake-ups.
//
// Events go on a bounded FIFO event queue. Either the event thread takes
// them and calls the handler, or (started with an EventsReady) there is no
// event thread: the I/O thread calls EventsReady when events start waiting
// and the owner takes them with takeEvents() on a thread of its own.
//
// Idle sending: a write that makes no progress for `idle` marks its message
// abandoned. The write itself stays pending (cancelling it would need
// socket.cancel(), which cancels the read as well); when it completes, the
// rest of the abandoned message is dropped and the next message is taken.
//
// TLS: asked for, the connection is made inside TLS (handshake after the
// TCP connect, within its own limit) and reads and writes go through the
// TlsStream; the plain path does not touch it. Ending a TLS connection only
// closes the socket: no close_notify is sent or waited for.
//
// Lifetime: the owner (ERPCClient) calls start(), later requestStop() and
// shutdown() from one thread, and joins or detaches the event thread. The
// event thread keeps the object alive through a shared_ptr of its own.
class Connection final : public std::enable_shared_from_this<Connection> {
public:
    using EventHandler = std::function<void(const ConnectionEvent*)>;
    // Called on the event thread after the handler has returned for a closed
    // event, unless the connection was stopped meanwhile.
    using ClosedHandled = std::function<void(const std::shared_ptr<Connection>&)>;
    // Called on the I/O thread when events start waiting for takeEvents().
    using EventsReady = std::function<void()>;

    // What a TLS connection needs: the shared context, the host the member
    // named (checked against the certificate) and the handshake's limit.
    struct Tls {
        std::shared_ptr<TlsContext> context;
        std::string host;
        std::chrono::milliseconds handshakeLimit{10'000};
    };

    // Connects, blocking for at most `connectLimit`, to the endpoint, then
    // (with `tls`) completes the TLS handshake within its limit; nullptr when
    // either fails or takes longer (a TLS failure is reported as a
    // "transport" diagnostic).
    static std::shared_ptr<Connection> open(const asio::ip::tcp::endpoint& endpoint,
                                            std::chrono::milliseconds connectLimit,
                                            std::chrono::milliseconds idle, EventQueue::Marks marks,
                                            const Tls* tls = nullptr);

    ~Connection();

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Starts the I/O thread and the event thread. False when a thread
    // cannot be started (nothing is left running then).
    bool start(EventHandler handler, ClosedHandled closedHandled);
    // Starts the I/O thread only; the owner takes the events.
    bool start(EventsReady ready);

    // Moves waiting events to the end of `batch` (see EventQueue::take);
    // true when more wait beyond it.
    bool takeEvents(std::vector<ConnectionEvent>& batch);
    std::size_t waitingBytes() const { return m_events.bytes(); }

    // Queues one message; a no-op after requestStop().
    void send(std::string_view message);

    // No handler call starts after this returns; later events are dropped.
    void requestStop();

    // Closes the socket on the I/O thread, lets it finish what was in flight
    // and joins it; discards both queues. Call once, after requestStop().
    void shutdown();

    bool isEventThread() const;
    // Joins the event thread; false (and nothing done) on the event thread.
    bool joinEventThread();
    void detachEventThread();

private:
    Connection(std::chrono::milliseconds idle, EventQueue::Marks marks);
    bool startThreads(bool eventThread);
    // Runs the context until `finished` or `deadline`; on the deadline closes
    // the socket and waits for the cancelled operation. False on the deadline.
    bool runUntil(const bool& finished, std::chrono::steady_clock::time_point deadline);
    bool handshake(const Tls& tls);
    void afterTake(const EventQueue::Taken& taken);

    // I/O thread.
    void startRead();
    void onRead(const asio::error_code& error, std::size_t size);
    bool pushEvent(ConnectionEvent event);  // false: stop reading
    void resumeRead();
    void armPartialTimer();
    void disarmPartialTimer();
    // Cancels the timers and closes the socket (on the I/O thread once it runs).
    void closeSocket();
    void onKick();
    void writeNext();
    void writeSome();
    void onWritten(const asio::error_code& error, std::size_t size);
    void armWriteTimer();
    void disarmWriteTimer();

    // Event thread.
    void eventLoop(std::shared_ptr<Connection> self);

    const std::chrono::milliseconds m_idle;
    asio::io_context m_io;
    asio::executor_work_guard<asio::io_context::executor_type> m_work;
    asio::ip::tcp::socket m_socket;
    std::unique_ptr<TlsStream> m_tls;  // over m_socket; null on a plain connection
    EventHandler m_handler;
    ClosedHandled m_closedHandled;
    EventsReady m_ready;
    EventQueue m_events;

    // Receiving (I/O thread only).
    std::array<char, protocol::kMaxReadSize> m_readBuffer{};
    protocol::ChunkDecoder m_decoder;
    asio::steady_timer m_partialTimer;
    std::uint64_t m_partialGeneration = 0;
    bool m_readPaused = false;
    bool m_readEnded = false;

    // Sending: the queue is shared with send(), the rest is I/O thread only.
    std::mutex m_sendMutex;
    std::deque<std::string> m_sendQueue;
    bool m_kickPosted = false;
    bool m_sendStopped = false;
    protocol::FrameEncoder m_encoder;
    std::string m_out;  // chunks of the message being written
    std::size_t m_outPos = 0;
    bool m_writing = false;
    bool m_abandoned = false;
    asio::steady_timer m_writeTimer;
    std::uint64_t m_writeGeneration = 0;

    std::thread m_ioThread;
    std::thread m_eventThread;
    std::thread::id m_eventThreadId;
};

}  // namespace lanzhou::transport
