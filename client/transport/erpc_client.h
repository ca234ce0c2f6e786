#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lanzhou::transport {

// One event of the connection, handed to the event handler by pointer (the
// event handle). It is valid until the handler returns.
struct ConnectionEvent;

// The client's one TCP connection to the server. It carries opaque byte
// messages (packed payloads) in the chunked framing of protocol/frame_codec.h
// and reports every arriving message and the end of the connection to one
// event handler, on its own event thread, one event at a time and in arrival
// order.
//
// Threads: an I/O thread runs the receiving and sending (asynchronous socket
// operations and idle timers, no polling); an event thread calls the handler.
class ERPCClient final {
  public:
    using EventHandler = std::function<void(const ConnectionEvent*)>;

    struct Limits {
        // Silence in the middle of a chunk after which the partial chunk is
        // dropped; also how long a message may make no sending progress
        // before it is abandoned.
        std::chrono::milliseconds idle{21'000};
    };

    ERPCClient();
    explicit ERPCClient(Limits limits);
    ~ERPCClient();  // closes the connection if still open

    ERPCClient(const ERPCClient&) = delete;
    ERPCClient& operator=(const ERPCClient&) = delete;

    // Connects, blocking, to host (dotted IPv4 address or name) and port.
    // False for a port outside 0-65535, a second call while connected, no
    // handler, a name that cannot be resolved or a refused connection.
    bool connect(int port, const std::string& host, EventHandler handler);

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
