#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lanzhou::test {

// TCP server on 127.0.0.1 speaking the chunked framing of the client
// (protocol::FrameEncoder out, protocol::ChunkDecoder in), for tests and the
// lanzhou-fake-server program. It runs its own I/O thread; every public
// method is thread-safe. Connections are numbered 0, 1, 2, ... in the order
// they were accepted; -1 names the latest accepted one.
//
// Every message that arrives is unpacked (protocol::unpack) and recorded; the
// handler given to onMessage sees it on the server thread.
//
// Behind TLS (made with TlsFiles), each accepted connection first completes
// a TLS handshake; one that fails is closed (it still counts as accepted),
// and nothing it sent is recorded.
class FakeServer final {
public:
    using MessageHandler = std::function<void(int connection, const std::string& text)>;

    // The server's certificate chain (leaf first) and key, PEM files.
    struct TlsFiles {
        std::string certificate;
        std::string key;
    };

    FakeServer();  // ephemeral port
    // A fixed port (0: ephemeral). port() is 0 when it could not listen.
    explicit FakeServer(std::uint16_t port);
    // Behind TLS; port() is 0 also when the files cannot be used (or the
    // build has no TLS), tlsError() then says why.
    explicit FakeServer(const TlsFiles& tls, std::uint16_t port = 0);
    ~FakeServer();

    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    int port() const;
    std::string tlsError() const;

    // Replaces the handler; called on the server thread with the unpacked
    // text of every message (a payload that does not unpack gives "").
    void onMessage(MessageHandler handler);

    // Every message text received, over all connections, in arrival order.
    std::vector<std::string> received() const;
    bool waitForReceived(std::size_t count, std::chrono::milliseconds timeout) const;

    // Connections ever accepted.
    bool waitForConnections(int count, std::chrono::milliseconds timeout) const;
    // Connections open now.
    int connectionCount() const;
    // Waits until exactly `count` connections are open.
    bool waitForConnectionCount(int count, std::chrono::milliseconds timeout) const;
    std::vector<int> openConnections() const;

    // Packs the text, frames it and writes it as chunks (the connection's own
    // ids from 0011 up). Writes to one connection keep their order.
    void send(int connection, std::string_view text);
    // The same after `delay` (on a timer of the server thread).
    void sendLater(int connection, std::string_view text, std::chrono::milliseconds delay);
    // send() to every open connection.
    void sendToAll(std::string_view text);
    // Writes the bytes as they are.
    void sendRaw(int connection, std::string_view bytes);
    // Closes the connection once what was queued for it has been written.
    void close(int connection);
    // Breaks the connection off at once: what is queued is dropped and the
    // peer's next read fails with a reset (a network error as it sees it).
    void reset(int connection);

    // Stops reading from the connection, so that the peer's writes stall
    // once the socket buffers are full; resumeReading() reads on.
    void pauseReading(int connection);
    void resumeReading(int connection);
    // From now on only records what arrives on the connection (rawReceived),
    // without reading messages from it or closing it on broken framing.
    void stopDecoding(int connection);
    // Every byte received on the connection, as it came.
    std::string rawReceived(int connection) const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::test
