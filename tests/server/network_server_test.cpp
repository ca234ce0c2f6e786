// NetworkServer in-process on a temporary SQLite database (and once on
// PostgreSQL), with raw socket clients that speak the framing by hand, so
// that they can also break it.

#include <gtest/gtest.h>

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"
#include "server/network/network_server.h"
#include "server/service/service_settings.h"
#include "server/sqlite/sqlite_storage.h"
#include "server/storage/storage.h"
#include "tests/server/storage_fixture.h"
#include "tests/support/socket_buffers.h"

namespace lanzhou::server {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kWait = 10s;

// A member's socket driven by hand: framed requests or arbitrary bytes out,
// decoded messages in, each read bounded by a timeout.
class RawClient final {
public:
    explicit RawClient(int port, std::optional<int> receiveBuffer = std::nullopt) : m_socket(m_io) {
        m_socket.open(asio::ip::tcp::v4());
        if (receiveBuffer) {
            m_socket.set_option(asio::socket_base::receive_buffer_size(*receiveBuffer));
        }
        m_socket.connect({asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)});
    }

    void sendRaw(std::string_view bytes) {
        asio::error_code ignored;
        asio::write(m_socket, asio::buffer(bytes), ignored);
    }
    // False once the server has closed the connection.
    bool trySendRaw(std::string_view bytes) {
        asio::error_code error;
        asio::write(m_socket, asio::buffer(bytes), error);
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
        m_socket.async_read_some(asio::buffer(m_buffer),
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
    asio::ip::tcp::socket m_socket;
    std::array<char, protocol::kMaxReadSize> m_buffer{};
    protocol::ChunkDecoder m_decoder;
    protocol::FrameEncoder m_encoder;
    std::deque<std::string> m_messages;
    std::size_t m_received = 0;
    bool m_closed = false;
};

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

    void startServer() {
        m_server =
            std::make_unique<NetworkServer>(m_settings, *m_storage, NetworkServer::Options{10ms});
        std::string error;
        ASSERT_TRUE(m_server->listen("127.0.0.1:0", error)) << error;
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
    static void expectServed(RawClient& client) {
        client.send("#TM");
        EXPECT_TRUE(client.nextStartingWith("#TM")) << "no answer to #TM";
    }

    std::filesystem::path m_directory;
    std::unique_ptr<Storage> m_storage;
    std::unique_ptr<Storage> m_operator;
    ServiceSettings m_settings;
    std::unique_ptr<NetworkServer> m_server;
    std::thread m_thread;
};

// A chunk header around `frame` as the given id, total and index.
std::string chunk(std::string_view frame, std::uint32_t total, std::uint32_t index = 0) {
    std::string out = "EMSG0011";
    for (const std::uint32_t value : {total, index, static_cast<std::uint32_t>(frame.size())}) {
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    return out.append(frame);
}

std::string randomLetters(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::string text(size, ' ');
    for (auto& c : text) {
        c = static_cast<char>(letter(random));
    }
    return text;
}

TEST_F(NetworkServerTest, BrokenInputClosesOnlyThatConnection) {
    m_settings.maxRequestBytes = 4096;
    startServer();
    const std::string goodPayload = protocol::pack("#TM");
    const std::string tooLarge = protocol::pack(randomLetters(6000, 1));
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"not a chunk", "GET / HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"garbage after a whole chunk",
         protocol::encodeChunks("0011", protocol::encodeFrame("0011", goodPayload)) +
             std::string(24, 'x')},
        {"frame that is not a frame", chunk("hello, this is no frame at all", 30)},
        {"payload that does not unpack",
         protocol::encodeChunks("0011", protocol::encodeFrame("0011", "not a packed payload"))},
        {"message above the request limit",
         protocol::encodeChunks("0011", protocol::encodeFrame("0011", tooLarge))},
        {"payload announcing more than the limit",
         protocol::encodeChunks(
             "0011", protocol::encodeFrame("0011",
                                           [&] {
                                               std::string payload = goodPayload;
                                               payload[6] = 0x10;  // announced length above 1 MiB
                                               return payload;
                                           }()))},
        {"closing frame from a member", chunk("<Msg0011>0</Msg0011>", 20)},
    };
    RawClient bystander(port());
    expectServed(bystander);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RawClient client(port());
        expectServed(client);
        client.sendRaw(c.bytes);
        EXPECT_TRUE(client.waitClosed());
        expectServed(bystander);
    }
}

TEST_F(NetworkServerTest, EndlessFrameIsCutOffNearTheRequestLimit) {
    // A chunk announcing the largest frame a decoder takes, then data for
    // it: the server must close long before it has buffered anything like
    // that. What the two sockets' buffers may take before the reset, and a
    // little more for what the server reads before it gives up, is less.
    m_settings.maxRequestBytes = 4096;
    const test::SocketBuffers buffers = test::largestSocketBuffers();
    const std::size_t held = buffers.send + buffers.receive + 4 * protocol::kMaxReadSize;
    const auto total = static_cast<std::uint32_t>(protocol::kMaxMessageSize);
    if (held >= total) {
        GTEST_SKIP() << "the socket buffers here could hold a whole frame of " << total << " bytes";
    }
    startServer();
    RawClient client(port());
    const std::string data(protocol::kMaxChunkData, 'a');
    std::size_t sent = 0;
    for (std::uint32_t index = 0; sent < total; ++index) {
        if (!client.trySendRaw(chunk(data, total, index))) {
            break;
        }
        sent += data.size();
    }
    EXPECT_TRUE(client.waitClosed());
    EXPECT_LT(sent, held);
    RawClient other(port());
    expectServed(other);
}

TEST_F(NetworkServerTest, AbruptDisconnectsLeaveOthersServed) {
    startServer();
    RawClient bystander(port());
    expectServed(bystander);
    const std::string whole =
        protocol::encodeChunks("0011", protocol::encodeFrame("0011", protocol::pack("#TM")));
    for (const std::size_t cut :
         {std::size_t{1}, std::size_t{10}, std::size_t{20}, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        RawClient client(port());
        client.sendRaw(std::string_view(whole).substr(0, cut));
        client.close();
        expectServed(bystander);
    }
    RawClient late(port());
    expectServed(late);
}

TEST_F(NetworkServerTest, SplitAndBatchedRequestsAreAllAnswered) {
    startServer();
    RawClient client(port());
    protocol::FrameEncoder encoder;
    std::string bytes;
    for (int i = 0; i < 3; ++i) {
        bytes += encoder.encode(protocol::pack("#TM"));
    }
    // Byte by byte, then three requests in one write.
    for (const char c : encoder.encode(protocol::pack("#TM"))) {
        client.sendRaw(std::string_view(&c, 1));
    }
    client.sendRaw(bytes);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(client.nextStartingWith("#TM")) << "answer " << i;
    }
}

TEST_F(NetworkServerTest, MemberThatNeverReadsIsDisconnectedWhenItsQueueOverflows) {
    m_settings.maxQueuedBytes = 64 * 1024;
    startServer();
    addMember("slow");
    addMember("quick");
    RawClient slow(port(), 4096);
    RawClient quick(port());
    // Both logged in before the flood; from then on the slow member reads
    // nothing.
    slow.send("#a3|slow|slow");
    ASSERT_TRUE(slow.nextStartingWith("#ad"));
    quick.send("#a3|quick|quick");
    ASSERT_TRUE(quick.nextStartingWith("#ad"));

    // More than the queue, the largest send buffer the server's socket could
    // have and the slow member's fixed receive buffer (random letters pack
    // to about 60 %: half the remark is a safe floor for an alert's bytes).
    const test::SocketBuffers buffers = test::largestSocketBuffers();
    const std::string remark = randomLetters(32'000, 2);
    const std::size_t flood = buffers.send + slow.receiveBufferSize() + m_settings.maxQueuedBytes;
    const std::size_t alerts = flood / (remark.size() / 2) + 1;
    std::size_t quickAlerts = 0;
    const auto readQuick = [&](Clock::duration timeout) {
        while (const auto message = quick.next(timeout)) {
            quickAlerts += message->starts_with("#ai") ? 1 : 0;
        }
    };
    for (std::size_t i = 0; i < alerts; ++i) {
        protocol::AlertRecord alert;
        alert.time = "2024-01-02 09:30:00";
        alert.code = "600000";
        alert.name = "stock";
        alert.operation = "buy";
        alert.buy = "1";
        alert.sell = "2";
        alert.remark = remark;
        alert.audience = "1";
        alert.popup = "0";
        ASSERT_TRUE(m_operator->publishAlert(alert));
        // Keep the quick member reading so that only the slow one lags.
        readQuick(1ms);
    }
    // Once the quick member has every alert, the server has handed the slow
    // member its share as well: only then does the slow member read.
    while (quickAlerts < alerts) {
        const auto message = quick.next();
        ASSERT_TRUE(message) << "the quick member got " << quickAlerts << " of " << alerts;
        quickAlerts += message->starts_with("#ai") ? 1 : 0;
    }
    // It was cut off before it got them all.
    EXPECT_TRUE(slow.waitClosed());
    EXPECT_LT(slow.receivedCount(), alerts);
    expectServed(quick);
}

TEST_F(NetworkServerTest, SilentConnectionIsClosedWhileKeepAlivesKeepOneOpen) {
    m_settings.session.heartbeatSeconds = 1;  // idle limit: three seconds
    startServer();
    RawClient silent(port());
    RawClient alive(port());
    const auto start = Clock::now();
    bool silentClosed = false;
    while (!silentClosed && Clock::now() - start < kWait) {
        alive.send("1");
        silentClosed = silent.waitClosed(500ms);
    }
    EXPECT_TRUE(silentClosed);
    expectServed(alive);
}

TEST_F(NetworkServerTest, StopClosesEveryConnectionAndReturnsFromRun) {
    startServer();
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<RawClient>(port()));
        expectServed(*clients.back());
    }
    stopServer();
    for (auto& client : clients) {
        EXPECT_TRUE(client->waitClosed());
    }
}

// On PostgreSQL the database wakes the server: with both polls out of
// reach, publications still reach the member, also after the database was
// restarted under the running server, which keeps its members meanwhile.
TEST(NetworkServerPostgresTest, PublicationsWakeTheServerAlsoAfterADatabaseRestart) {
    std::string error;
    const auto database = storage_test::makePostgresDatabase(error);
    ASSERT_TRUE(database) << error;
    const auto serverSide = database->open();
    const auto operatorSide = database->open();
    ASSERT_TRUE(operatorSide->addAccount(storage_test::account("member", "pw")));
    NetworkServer server(defaultServiceSettings(), *serverSide,
                         NetworkServer::Options{.operatorPoll = 24h, .safetyPoll = 24h});
    ASSERT_TRUE(server.listen("127.0.0.1:0", error)) << error;
    std::jthread thread([&server] { server.run(); });
    struct StopOnExit {
        NetworkServer& server;
        ~StopOnExit() { server.stop(); }
    } stopOnExit{server};
    RawClient member(server.port());
    member.send("#a3|member|pw");
    EXPECT_TRUE(member.nextStartingWith("#ad"));

    const auto publish = [&](const std::string& id) {
        // The operator's first try after a restart may find its connection lost.
        return operatorSide->publishAlert(storage_test::alertDraft(id, "0")) ||
               operatorSide->publishAlert(storage_test::alertDraft(id, "0"));
    };
    ASSERT_TRUE(publish("first"));
    EXPECT_TRUE(member.nextStartingWith("#ai"));

    test::PostgresCluster* cluster = test::sharedPostgresCluster(error);
    cluster->stop();
    ASSERT_TRUE(cluster->startAgain(error)) << error;
    ASSERT_TRUE(publish("second"));
    const auto second = member.nextStartingWith("#ai");
    ASSERT_TRUE(second);
    EXPECT_NE(second->find("second"), std::string::npos) << *second;
    member.send("#TM");
    EXPECT_TRUE(member.nextStartingWith("#TM"));
}

}  // namespace
}  // namespace lanzhou::server
