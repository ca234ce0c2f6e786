// Closing ERPCClient and connecting it again, many times, while the server is
// still sending: nothing of an old connection (its events, its ready calls,
// its handler calls) reaches the new one.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "client/transport/connection_event.h"
#include "client/transport/erpc_client.h"
#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"
#include "tests/support/fake_server.h"
#include "tests/transport/client_harness.h"

namespace lanzhou::test {
namespace {

using transport::ConnectionEvent;
using transport::ERPCClient;
using transport::EventKind;

constexpr int kRounds = 6;

// Many messages "R:i" for connection round R, as one write.
std::string flood(int round, int count = 400) {
    protocol::FrameEncoder encoder;
    std::string wire;
    for (int i = 0; i < count; ++i) {
        wire += encoder.encode(protocol::pack(std::to_string(round) + ":" + std::to_string(i)));
    }
    return wire;
}

bool ofRound(const ConnectionEvent& event, int round) {
    return protocol::unpack(event.data).starts_with(std::to_string(round) + ":");
}

TEST(ErpcClientReconnect, TakenEventsAndReadyCallsStayWithTheirConnection) {
    FakeServer server;
    // What the client's threads touch outlives the client, also when an
    // assertion ends the test early.
    std::vector<std::atomic<int>> readyCalls(kRounds);
    std::vector<int> readyAtClose(kRounds, 0);
    ERPCClient client;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(client.connectTaking(server.port(), "127.0.0.1",
                                         [&readyCalls, round] { ++readyCalls[round]; }));
        ASSERT_TRUE(server.waitForConnections(round + 1, kPatience));
        server.sendRaw(round, flood(round));
        // The server ends every other connection; the client the others, in
        // the middle of the flood.
        const bool serverEnds = round % 2 == 1;
        if (serverEnds) {
            server.close(round);
        }
        std::vector<ConnectionEvent> batch;
        bool closed = false;
        ASSERT_TRUE(eventually([&] {
            client.takeEvents(batch);
            closed = !batch.empty() && batch.back().kind == EventKind::Closed;
            return serverEnds ? closed : batch.size() >= 10;
        }));
        for (const auto& event : batch) {
            if (event.kind == EventKind::Data) {
                ASSERT_TRUE(ofRound(event, round)) << protocol::unpack(event.data);
            }
        }
        client.close();
        EXPECT_FALSE(client.connected());
        EXPECT_GE(readyCalls[round].load(), 1);
        readyAtClose[round] = readyCalls[round].load();
    }
    // No connection said "ready" once it was closed.
    for (int round = 0; round < kRounds; ++round) {
        EXPECT_EQ(readyCalls[round].load(), readyAtClose[round]) << round;
    }
    // Closed clients take nothing.
    std::vector<ConnectionEvent> none;
    EXPECT_FALSE(client.takeEvents(none));
    EXPECT_TRUE(none.empty());
}

TEST(ErpcClientReconnect, AnOldHandlerIsNeverCalledAfterItsConnectionEnded) {
    FakeServer server;
    std::mutex mutex;
    std::vector<std::vector<std::string>> seen(kRounds);  // per round: "closed" or the data
    std::vector<std::atomic<bool>> ended(kRounds);
    std::atomic<int> strays{0};
    ERPCClient client;  // after what its handler touches: destroyed first
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(
            client.connect(server.port(), "127.0.0.1", [&, round](const ConnectionEvent* event) {
                if (ended[round]) {
                    ++strays;  // a call after its closed event
                }
                std::lock_guard lock(mutex);
                if (client.eventKind(event) == 0) {
                    ended[round] = true;
                    seen[round].push_back("closed");
                } else if (const auto data = client.eventData(event)) {
                    seen[round].push_back(protocol::unpack(*data));
                }
            }));
        ASSERT_TRUE(server.waitForConnections(round + 1, kPatience));
        server.sendRaw(round, flood(round, 50));
        server.close(round);
        // The client counts as connected until the handler has returned
        // for the closed event; then it connects again at once, while the
        // old event thread may still be on its way out.
        ASSERT_TRUE(eventually([&] { return ended[round].load() && !client.connected(); }));
    }
    client.close();
    EXPECT_EQ(strays.load(), 0);
    std::lock_guard lock(mutex);
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(seen[round].size(), 51u);
        EXPECT_EQ(seen[round].back(), "closed");
        for (std::size_t i = 0; i + 1 < seen[round].size(); ++i) {
            EXPECT_EQ(seen[round][i], std::to_string(round) + ":" + std::to_string(i));
        }
    }
}

}  // namespace
}  // namespace lanzhou::test
