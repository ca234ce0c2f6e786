#include "tests/support/fake_server.h"

#include <array>
#include <asio.hpp>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "client/transport/tls_context.h"
#include "client/transport/tls_stream.h"
#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"

namespace lanzhou::test {

namespace {

using asio::ip::tcp;

struct Peer {
    explicit Peer(asio::io_context& io, int peerId) : id(peerId), socket(io) {}

    const int id;
    tcp::socket socket;
    std::unique_ptr<transport::TlsStream> tls;  // over `socket` behind TLS
    bool handshaken = false;                    // behind TLS: reads and writes may start
    std::size_t written = 0;                    // of out.front()
    protocol::ChunkDecoder decoder;
    protocol::FrameEncoder encoder;
    std::deque<std::string> out;
    bool writing = false;
    bool closing = false;  // close once `out` is written
    bool closed = false;
    bool paused = false;
    bool reading = false;
    bool decoding = true;
    std::array<char, 65536> buffer{};
};

}  // namespace

class FakeServer::Impl final {
public:
    Impl(std::uint16_t port, const TlsFiles* tls)
        : m_strand(asio::make_strand(m_io)), m_work(asio::make_work_guard(m_io)), m_acceptor(m_io) {
        asio::error_code error;
        if (tls != nullptr) {
            auto context = transport::makeServerTlsContext(tls->certificate, tls->key);
            if (!context) {
                m_tlsError = context.error();
                error = asio::error::invalid_argument;
            } else {
                m_tlsContext = std::move(*context);
            }
        }
        const tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
        if (!error) {
            m_acceptor.open(endpoint.protocol(), error);
        }
        if (!error && port != 0) {
            m_acceptor.set_option(tcp::acceptor::reuse_address(true), error);
        }
        if (!error) {
            m_acceptor.bind(endpoint, error);
        }
        if (!error) {
            m_acceptor.listen(asio::socket_base::max_listen_connections, error);
        }
        if (!error) {
            m_port = m_acceptor.local_endpoint(error).port();
        }
        if (!error) {
            accept();
        } else {
            m_port = 0;
        }
        m_thread = std::thread([this] { m_io.run(); });
    }

    ~Impl() {
        m_io.stop();
        m_thread.join();
        asio::error_code ignored;
        m_acceptor.close(ignored);
        for (auto& [id, peer] : m_peers) {
            peer->socket.close(ignored);
        }
        m_peers.clear();
    }

    int port() const { return m_port; }
    const std::string& tlsError() const { return m_tlsError; }

    // Runs `work` on the server thread, after everything posted before it.
    template <typename Work>
    void post(Work work) {
        asio::post(m_strand, std::move(work));
    }

    int resolve(int connection) const {
        std::lock_guard lock(m_mutex);
        return connection < 0 ? m_latest : connection;
    }

    // ------------------------------------------------- server thread only

    std::shared_ptr<Peer> find(int id) const {
        const auto found = m_peers.find(id);
        return found == m_peers.end() ? nullptr : found->second;
    }

    void queue(int id, std::string bytes) {
        const auto peer = find(id);
        if (!peer || peer->closing || bytes.empty()) {
            return;
        }
        peer->out.push_back(std::move(bytes));
        if (!peer->writing) {
            write(peer);
        }
    }

    void queueMessage(int id, std::string_view text) {
        if (const auto peer = find(id)) {
            queue(id, peer->encoder.encode(protocol::pack(text)));
        }
    }

    void queueMessageLater(int id, std::string text, std::chrono::milliseconds delay) {
        auto timer = std::make_shared<asio::steady_timer>(m_io, delay);
        timer->async_wait(asio::bind_executor(
            m_strand, [this, id, timer, text = std::move(text)](const asio::error_code& error) {
                if (!error) {
                    queueMessage(id, text);
                }
            }));
    }

    void close(int id) {
        const auto peer = find(id);
        if (!peer) {
            return;
        }
        peer->closing = true;
        if (!peer->writing) {
            closePeer(peer);
        }
    }

    void reset(int id) {
        if (const auto peer = find(id)) {
            asio::error_code ignored;
            peer->socket.set_option(asio::socket_base::linger(true, 0), ignored);
            peer->out.clear();
            closePeer(peer, false);
        }
    }

    void pause(int id) {
        if (const auto peer = find(id)) {
            peer->paused = true;
        }
    }

    void stopDecoding(int id) {
        if (const auto peer = find(id)) {
            peer->decoding = false;
        }
    }

    void resume(int id) {
        const auto peer = find(id);
        if (!peer || !peer->paused) {
            return;
        }
        peer->paused = false;
        if (!peer->reading && ready(*peer)) {
            read(peer);
        }
    }

    // ------------------------------------------------- shared state

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_received;
    std::map<int, std::string> m_raw;
    std::set<int> m_open;
    int m_accepted = 0;
    int m_latest = -1;
    MessageHandler m_handler;

private:
    void accept() {
        m_acceptor.async_accept([this](const asio::error_code& error, tcp::socket socket) {
            if (error == asio::error::operation_aborted) {
                return;
            }
            if (!error) {
                auto peer = std::make_shared<Peer>(m_io, m_nextId++);
                peer->socket = std::move(socket);
                asio::error_code ignored;
                peer->socket.set_option(tcp::no_delay(true), ignored);
                m_peers.emplace(peer->id, peer);
                {
                    std::lock_guard lock(m_mutex);
                    ++m_accepted;
                    m_latest = peer->id;
                    m_open.insert(peer->id);
                }
                m_changed.notify_all();
                if (m_tlsContext) {
                    handshake(peer);
                } else {
                    read(peer);
                }
            }
            accept();
        });
    }

    void handshake(const std::shared_ptr<Peer>& peer) {
        auto stream = transport::makeServerTlsStream(peer->socket, m_tlsContext);
        if (!stream) {
            closePeer(peer);
            return;
        }
        peer->tls = std::move(*stream);
        peer->tls->asyncHandshake([this, peer](const asio::error_code& error) {
            if (peer->closed) {
                return;
            }
            if (error) {
                closePeer(peer);
                return;
            }
            peer->handshaken = true;
            if (!peer->paused) {
                read(peer);
            }
            if (!peer->out.empty() && !peer->writing) {
                write(peer);
            }
        });
    }

    // Reads and writes wait for the handshake behind TLS.
    static bool ready(const Peer& peer) { return !peer.tls || peer.handshaken; }

    void read(const std::shared_ptr<Peer>& peer) {
        peer->reading = true;
        auto done = [this, peer](const asio::error_code& error, std::size_t size) {
            peer->reading = false;
            onRead(peer, error, size);
        };
        if (peer->tls) {
            peer->tls->asyncReadSome(asio::buffer(peer->buffer), std::move(done));
        } else {
            peer->socket.async_read_some(asio::buffer(peer->buffer), std::move(done));
        }
    }

    void onRead(const std::shared_ptr<Peer>& peer, const asio::error_code& error,
                std::size_t size) {
        if (peer->closed) {
            return;
        }
        if (error) {
            closePeer(peer);
            return;
        }
        const std::string_view bytes(peer->buffer.data(), size);
        {
            std::lock_guard lock(m_mutex);
            m_raw[peer->id].append(bytes);
        }
        if (!peer->decoding) {
            if (!peer->paused) {
                read(peer);
            }
            return;
        }
        std::vector<protocol::FrameEvent> events;
        const auto status = peer->decoder.feed(bytes, events);
        for (const auto& event : events) {
            if (event.kind == protocol::FrameEvent::Kind::Closed) {
                closePeer(peer);
                return;
            }
            deliver(peer->id, protocol::unpack(event.data));
            if (peer->closed) {
                return;
            }
        }
        if (status == protocol::ChunkDecoder::Status::ConnectionGone) {
            closePeer(peer);
            return;
        }
        if (!peer->paused) {
            read(peer);
        }
    }

    void deliver(int id, std::string text) {
        MessageHandler handler;
        {
            std::lock_guard lock(m_mutex);
            m_received.push_back(text);
            handler = m_handler;
        }
        m_changed.notify_all();
        if (handler) {
            handler(id, text);
        }
    }

    void write(const std::shared_ptr<Peer>& peer) {
        if (peer->closed || !ready(*peer)) {
            return;
        }
        if (peer->out.empty()) {
            peer->writing = false;
            if (peer->closing) {
                closePeer(peer);
            }
            return;
        }
        peer->writing = true;
        const std::string& front = peer->out.front();
        const auto rest = asio::buffer(front.data() + peer->written, front.size() - peer->written);
        auto done = [this, peer](const asio::error_code& error, std::size_t size) {
            if (peer->closed) {
                return;
            }
            if (error) {
                closePeer(peer);
                return;
            }
            peer->written += size;
            if (peer->written >= peer->out.front().size()) {
                peer->out.pop_front();
                peer->written = 0;
            }
            write(peer);
        };
        if (peer->tls) {
            peer->tls->asyncWriteSome(rest, std::move(done));
        } else {
            peer->socket.async_write_some(rest, std::move(done));
        }
    }

    // `orderly`: shut both directions down first (a FIN); otherwise close as
    // the socket's linger option says (with linger 0, a reset).
    void closePeer(const std::shared_ptr<Peer>& peer, bool orderly = true) {
        if (peer->closed) {
            return;
        }
        peer->closed = true;
        peer->writing = false;
        peer->out.clear();
        asio::error_code ignored;
        if (orderly) {
            peer->socket.shutdown(tcp::socket::shutdown_both, ignored);
        }
        peer->socket.close(ignored);
        m_peers.erase(peer->id);
        {
            std::lock_guard lock(m_mutex);
            m_open.erase(peer->id);
        }
        m_changed.notify_all();
    }

    asio::io_context m_io;
    asio::strand<asio::io_context::executor_type> m_strand;
    asio::executor_work_guard<asio::io_context::executor_type> m_work;
    tcp::acceptor m_acceptor;
    int m_port = 0;
    std::shared_ptr<transport::TlsContext> m_tlsContext;  // behind TLS
    std::string m_tlsError;
    int m_nextId = 0;
    std::map<int, std::shared_ptr<Peer>> m_peers;
    std::thread m_thread;
};

FakeServer::FakeServer() : FakeServer(std::uint16_t{0}) {}

FakeServer::FakeServer(std::uint16_t port) : m_impl(std::make_unique<Impl>(port, nullptr)) {}

FakeServer::FakeServer(const TlsFiles& tls, std::uint16_t port)
    : m_impl(std::make_unique<Impl>(port, &tls)) {}

FakeServer::~FakeServer() = default;

int FakeServer::port() const {
    return m_impl->port();
}

std::string FakeServer::tlsError() const {
    return m_impl->tlsError();
}

void FakeServer::onMessage(MessageHandler handler) {
    std::lock_guard lock(m_impl->m_mutex);
    m_impl->m_handler = std::move(handler);
}

std::vector<std::string> FakeServer::received() const {
    std::lock_guard lock(m_impl->m_mutex);
    return m_impl->m_received;
}

bool FakeServer::waitForReceived(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->m_mutex);
    return m_impl->m_changed.wait_for(lock, timeout,
                                      [&] { return m_impl->m_received.size() >= count; });
}

bool FakeServer::waitForConnections(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->m_mutex);
    return m_impl->m_changed.wait_for(lock, timeout, [&] { return m_impl->m_accepted >= count; });
}

int FakeServer::connectionCount() const {
    std::lock_guard lock(m_impl->m_mutex);
    return static_cast<int>(m_impl->m_open.size());
}

bool FakeServer::waitForConnectionCount(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->m_mutex);
    return m_impl->m_changed.wait_for(
        lock, timeout, [&] { return static_cast<int>(m_impl->m_open.size()) == count; });
}

std::vector<int> FakeServer::openConnections() const {
    std::lock_guard lock(m_impl->m_mutex);
    return {m_impl->m_open.begin(), m_impl->m_open.end()};
}

void FakeServer::send(int connection, std::string_view text) {
    const int id = m_impl->resolve(connection);
    m_impl->post(
        [impl = m_impl.get(), id, text = std::string(text)] { impl->queueMessage(id, text); });
}

void FakeServer::sendLater(int connection, std::string_view text, std::chrono::milliseconds delay) {
    if (delay <= std::chrono::milliseconds::zero()) {
        send(connection, text);
        return;
    }
    const int id = m_impl->resolve(connection);
    m_impl->post([impl = m_impl.get(), id, text = std::string(text), delay]() mutable {
        impl->queueMessageLater(id, std::move(text), delay);
    });
}

void FakeServer::sendToAll(std::string_view text) {
    m_impl->post([impl = m_impl.get(), text = std::string(text)] {
        std::vector<int> ids;
        {
            std::lock_guard lock(impl->m_mutex);
            ids.assign(impl->m_open.begin(), impl->m_open.end());
        }
        for (const int id : ids) {
            impl->queueMessage(id, text);
        }
    });
}

void FakeServer::sendRaw(int connection, std::string_view bytes) {
    const int id = m_impl->resolve(connection);
    m_impl->post([impl = m_impl.get(), id, bytes = std::string(bytes)] { impl->queue(id, bytes); });
}

void FakeServer::close(int connection) {
    const int id = m_impl->resolve(connection);
    m_impl->post([impl = m_impl.get(), id] { impl->close(id); });
}

void FakeServer::reset(int connection) {
    const int id = m_impl->resolve(connection);
    m_impl->post([impl = m_impl.get(), id] { impl->reset(id); });
}

void FakeServer::pauseReading(int connection) {
    const int id = m_impl->resolve(connection);
    m_impl->post([impl = m_impl.get(), id] { impl->pause(id); });
}

void FakeServer::resumeReading(int connection) {
    const int id = m_impl->resolve(connection);
    m_impl->post([impl = m_impl.get(), id] { impl->resume(id); });
}

void FakeServer::stopDecoding(int connection) {
    const int id = m_impl->resolve(connection);
    m_impl->post([impl = m_impl.get(), id] { impl->stopDecoding(id); });
}

std::string FakeServer::rawReceived(int connection) const {
    const int id = m_impl->resolve(connection);
    std::lock_guard lock(m_impl->m_mutex);
    const auto found = m_impl->m_raw.find(id);
    return found == m_impl->m_raw.end() ? std::string() : found->second;
}

}  // namespace lanzhou::test
