#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/packed_payload.h"

namespace lanzhou::transport {

// One event of the connection (connection_event.h), handed to the event
// handler by pointer (the event handle). It is valid until the handler
// returns.
struct ConnectionEvent;

// The client's one TCP connection to the server. It carries opaque byte
// messages (packed payloads) in the chunked framing of protocol/frame_codec.h
// and reports every arriving message and the end of the connection to one
// event handler, on its own event thread, one event at a time and in arrival
// order. Instead of a handler, the owner may take the events itself, in
// batches, on a thread of its own (connectTaking).
//
// Threads: an I/O thread runs the receiving and sending (asynchronous socket
// operations and idle timers, no polling); an event thread calls the handler.
//
// The connection may be made inside TLS (Channel::Tls): the server's
// certificate must be valid, issued by a trusted authority (the system's, or
// those of the authority file the client was made with) and name the host.
// Any failure to set TLS up is a failed connect(), never a plain connection.
//
// The events waiting for the handler or the owner are bounded by `queueBytes`
// and `queueEvents`: at either mark the I/O thread stops reading from the
// socket until half of them have been taken, and TCP holds the server back.
class ERPCClient final {
public:
    using EventHandler = std::function<void(const ConnectionEvent*)>;
    using EventsReady = std::function<void()>;

    // Plain TCP, or TLS (1.2 or newer) over it.
    enum class Channel { Plain, Tls };

    struct Limits {
        // Silence in the middle of a chunk after which the partial chunk is
        // dropped; also how long a message may make no sending progress
        // before it is abandoned.
        std::chrono::milliseconds idle{21'000};
        // Bound of the waiting events: about one largest message, or many
        // small ones.
        std::size_t queueBytes = protocol::kMaxMessageSize;
        std::size_t queueEvents = 4096;
        // How long a connection may take to be made. A server whose packets
        // are dropped on the way is given up after this, not after the
        // system's minutes of retries (the caller's thread waits meanwhile).
        std::chrono::milliseconds connect{10'000};
        // How long the TLS handshake may take once the connection is made;
        // a server that does not speak TLS is given up after it.
        std::chrono::milliseconds handshake{10'000};
    };

    ERPCClient();
    // `authorityFile`: the PEM bundle of the authorities a TLS server's
    // certificate must come from; empty: the system's trusted authorities.
    explicit ERPCClient(Limits limits, std::string authorityFile = {});
    ~ERPCClient();  // closes the connection if still open

    ERPCClient(const ERPCClient&) = delete;
    ERPCClient& operator=(const ERPCClient&) = delete;

    // Connects, blocking, to host (dotted IPv4 address or name) and port.
    // False for a port outside 0-65535, a second call while connected, no
    // handler, a name that cannot be resolved, a refused connection or one
    // not made within Limits::connect; with TLS also for a failed handshake
    // or one not done within Limits::handshake (the reason is reported as a
    // "transport" diagnostic).
    bool connect(int port, const std::string& host, EventHandler handler,
                 Channel channel = Channel::Plain);

    // Connects like connect(), without an event thread: `ready` is called on
    // the I/O thread when events start waiting (once until takeEvents() has
    // emptied the queue again; it must not block), and the owner takes them
    // with takeEvents(). After a closed event the owner calls close().
    bool connectTaking(int port, const std::string& host, EventsReady ready,
                       Channel channel = Channel::Plain);

    // Moves waiting events, oldest first, to the end of `batch`: up to 256
    // of them or about 1 MiB. True when more wait beyond the batch (call
    // again; `ready` is not called for them); false when none is left.
    bool takeEvents(std::vector<ConnectionEvent>& batch);

    // Message bytes waiting to be handled or taken.
    std::size_t waitingBytes() const;

    // Queues one message (copied); false when not connected. Messages are
    // sent in the order they were queued; an empty message is accepted and
    // puts nothing on the wire. Never blocks on the network.
    bool send(std::string_view message);

    // Ends the connection and the workers; nothing happens when not
    // connected. Afterwards no worker touches the client or calls the
    // handler. May be called from the handler itself.
    void close();

    bool connected() const;

    // 1 data arrived, 0 connection closed; -1 for a null handle or a closed
    // client.
    int eventKind(const ConnectionEvent* event) const;

    // The message bytes of a data event; nullopt for a null handle, a closed
    // client or a closed event.
    std::optional<std::string_view> eventData(const ConnectionEvent* event) const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::transport
