#pragma once

// What the tests of NetworkServer share: a server in-process on a temporary
// SQLite database, and clients that speak the framing by hand, so that they
// can also break it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"
#include "server/network/network_server.h"
#include "server/service/service_settings.h"
#include "server/sqlite/sqlite_storage.h"
#include "server/storage/storage.h"

namespace lanzhou::server {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kWait = 10s;

// A member's connection driven by hand: framed requests or arbitrary bytes
// out, decoded messages in, each read bounded by a timeout. `Stream` is a TCP
// socket or a stream over one (TLS), made from the client's io_context and
// `streamArguments`; the caller does any handshake.
template <class Stream>
class BasicClient final {
public:
    template <class... StreamArguments>
    explicit BasicClient(int port, std::optional<int> receiveBuffer = std::nullopt,
                         StreamArguments&... streamArguments)
        : m_stream(m_io, streamArguments...), m_socket(m_stream.lowest_layer()) {
        m_socket.open(asio::ip::tcp::v4());
        if (receiveBuffer) {
            m_socket.set_option(asio::socket_base::receive_buffer_size(*receiveBuffer));
        }
        m_socket.connect({asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)});
    }

    asio::io_context& io() { return m_io; }
    Stream& stream() { return m_stream; }

    void sendRaw(std::string_view bytes) {
        asio::error_code ignored;
        asio::write(m_stream, asio::buffer(bytes), ignored);
    }
    // False once the server has closed the connection.
    bool trySendRaw(std::string_view bytes) {
        asio::error_code error;
        asio::write(m_stream, asio::buffer(bytes), error);
        return !error;
    }
    void send(std::string_view text) { sendRaw(m_encoder.encode(protocol::pack(text))); }

    // The next message the server sent (unpacked), nullopt on timeout or close.
    std::optional<std::string> next(Clock::duration timeout = kWait) {
        const auto deadline = Clock::now() + timeout;
        while (m_messages.empty() && !m_closed && Clock::now() < deadline) {
            readOnce(deadline);
        }
        if (m_messages.empty()) {
            return std::nullopt;
        }
        std::string message = std::move(m_messages.front());
        m_messages.pop_front();
        return message;
    }

    // The next message starting with `prefix`, skipping others.
    std::optional<std::string> nextStartingWith(std::string_view prefix) {
        const auto deadline = Clock::now() + kWait;
        while (Clock::now() < deadline) {
            auto message = next(deadline - Clock::now());
            if (!message) {
                return std::nullopt;
            }
            if (message->starts_with(prefix)) {
                return message;
            }
        }
        return std::nullopt;
    }

    // Reads (and drops) everything until the server closes the connection.
    bool waitClosed(Clock::duration timeout = kWait) {
        const auto deadline = Clock::now() + timeout;
        while (!m_closed && Clock::now() < deadline) {
            readOnce(deadline);
            m_received += m_messages.size();
            m_messages.clear();
        }
        return m_closed;
    }

    std::size_t receivedCount() const { return m_received; }
    // What the kernel gives this socket for receiving now.
    std::size_t receiveBufferSize() {
        asio::socket_base::receive_buffer_size size;
        m_socket.get_option(size);
        return static_cast<std::size_t>(size.value());
    }
    void close() {
        asio::error_code ignored;
        m_socket.close(ignored);
    }

private:
    void readOnce(Clock::time_point deadline) {
        m_io.restart();
        bool done = false;
        m_stream.async_read_some(asio::buffer(m_buffer),
                                 [&](const asio::error_code& error, std::size_t size) {
                                     done = true;
                                     if (error) {
                                         m_closed = error != asio::error::operation_aborted;
                                         return;
                                     }
                                     std::vector<protocol::FrameEvent> events;
                                     if (m_decoder.feed({m_buffer.data(), size}, events) !=
                                         protocol::ChunkDecoder::Status::Ok) {
                                         m_closed = true;
                                     }
                                     for (auto& event : events) {
                                         m_messages.push_back(protocol::unpack(event.data));
                                     }
                                 });
        m_io.run_until(deadline);
        if (!done) {
            m_socket.cancel();
            m_io.restart();
            m_io.run();
        }
    }

    asio::io_context m_io;
    Stream m_stream;
    typename Stream::lowest_layer_type& m_socket;
    std::array<char, protocol::kMaxReadSize> m_buffer{};
    protocol::ChunkDecoder m_decoder;
    protocol::FrameEncoder m_encoder;
    std::deque<std::string> m_messages;
    std::size_t m_received = 0;
    bool m_closed = false;
};

using RawClient = BasicClient<asio::ip::tcp::socket>;

inline std::string randomLetters(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string text(size, ' ');
    for (auto& c : text) {
        c = static_cast<char>(letter(random));
    }
    return text;
}

// An alert to every member, without a popup, carrying `remark`.
inline protocol::AlertRecord alertFor(std::string remark) {
    protocol::AlertRecord alert;
    alert.time = "2024-01-02 09:30:00";
    alert.code = "600000";
    alert.name = "stock";
    alert.operation = "buy";
    alert.buy = "1";
    alert.sell = "2";
    alert.remark = std::move(remark);
    alert.audience = "1";
    alert.popup = "0";
    return alert;
}

// A server on a fresh SQLite database, run on a thread of its own, and the
// operator's handle on the same database.
class NetworkServerTest : public ::testing::Test {
protected:
    NetworkServerTest() {
        static std::atomic<int> counter{0};
        m_directory = std::filesystem::temp_directory_path() /
                      ("lanzhou-network-test-" + std::to_string(::getpid()) + "-" +
                       std::to_string(counter++));
        std::filesystem::create_directories(m_directory);
        auto opened = openSqliteStorage(m_directory / "service.db");
        EXPECT_TRUE(opened.has_value()) << opened.error();
        m_storage = std::move(*opened);
        // The operator's own handle: a Storage serves one thread at a time,
        // and the server's runs on the server thread.
        auto operatorSide = openSqliteStorage(m_directory / "service.db");
        EXPECT_TRUE(operatorSide.has_value()) << operatorSide.error();
        m_operator = std::move(*operatorSide);
        m_settings = defaultServiceSettings();
    }

    ~NetworkServerTest() override {
        stopServer();
        m_operator.reset();
        m_storage.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    // With m_tls, a TLS listener too.
    void startServer() {
        m_server = std::make_unique<NetworkServer>(m_settings, *m_storage, m_options);
        std::string error;
        ASSERT_TRUE(m_server->listen("127.0.0.1:0", error)) << error;
        if (m_tls) {
            ASSERT_TRUE(m_server->listenTls(*m_tls, error)) << error;
        }
        m_thread = std::thread([this] { m_server->run(); });
    }

    void stopServer() {
        if (m_server) {
            m_server->stop();
        }
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    int port() const { return m_server->port(); }
    int tlsPort() const { return m_server->tlsPort(); }

    void addMember(const std::string& name) {
        AccountRecord account;
        account.name = name;
        account.password = name;
        account.qq = "10001";
        account.phone = "13800000000";
        account.userType = 1;
        account.expiry = protocol::DateTime{2099, 1, 1, 0, 0, 0};
        ASSERT_TRUE(m_operator->addAccount(account));
    }

    // A working connection: the server answers the time request.
    template <class Stream>
    static void expectServed(BasicClient<Stream>& client) {
        client.send("#TM");
        EXPECT_TRUE(client.nextStartingWith("#TM")) << "no answer to #TM";
    }

    std::filesystem::path m_directory;
    std::unique_ptr<Storage> m_storage;
    std::unique_ptr<Storage> m_operator;
    ServiceSettings m_settings;
    NetworkServer::Options m_options{10ms};
    std::optional<TlsSettings> m_tls;
    std::unique_ptr<NetworkServer> m_server;
    std::thread m_thread;
};

}  // namespace lanzhou::server
