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
#include "tests/server/network_fixture.h"
#include "tests/server/storage_fixture.h"
#include "tests/support/socket_buffers.h"

namespace lanzhou::server {
namespace {

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
        ASSERT_TRUE(m_operator->publishAlert(alertFor(remark)));
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
