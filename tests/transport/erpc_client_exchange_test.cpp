// Messages both ways between ERPCClient and the in-process fake server.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "client/transport/erpc_client.h"
#include "protocol/frame_codec.h"
#include "protocol/message_catalogue.h"
#include "protocol/packed_payload.h"
#include "tests/support/fake_server.h"
#include "tests/support/fake_service.h"
#include "tests/support/random_bytes.h"
#include "tests/transport/client_harness.h"

namespace lanzhou::test {
namespace {

using transport::ERPCClient;

TEST(ErpcClientExchange, HandshakeAnswersArriveInRequestOrder) {
    FakeService service;
    ERPCClient client;
    EventRecorder events(client);
    ASSERT_TRUE(events.connect(service.port()));

    const std::vector<std::string> steps = {"#54", "#55", "#56", "#TM", "#57", "#58"};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        ASSERT_TRUE(client.send(protocol::pack(steps[i])));
        ASSERT_TRUE(events.waitForEvents(i + 1)) << steps[i];
        const auto seen = events.seen().back();
        EXPECT_EQ(seen.kind, 1);
        EXPECT_EQ(seen.data.substr(0, 3), steps[i]);
    }
    EXPECT_EQ(protocol::parseServerMessage(events.seen()[1].data).code,
              protocol::ServerCode::SessionConfig);
    EXPECT_EQ(service.server().received(), steps);
}

TEST(ErpcClientExchange, ManyMessagesKeepTheirOrderBothWays) {
    FakeServer server;
    ERPCClient client;
    EventRecorder events(client);
    ASSERT_TRUE(events.connect(server.port()));
    ASSERT_TRUE(server.waitForConnections(1, kPatience));

    constexpr int kCount = 500;
    std::vector<std::string> texts;
    std::string expectedWire;
    protocol::FrameEncoder encoder;  // the client numbers its messages the same way
    for (int i = 0; i < kCount; ++i) {
        texts.push_back("#ai" + std::to_string(i) + "|" + std::string(i % 37, 'x'));
        expectedWire += encoder.encode(protocol::pack(texts.back()));
    }
    for (const auto& text : texts) {
        ASSERT_TRUE(client.send(protocol::pack(text)));
        server.send(-1, text);
    }

    ASSERT_TRUE(server.waitForReceived(kCount, kPatience));
    EXPECT_EQ(server.received(), texts);
    // Ids 0011 upwards in sending order, one frame per message.
    EXPECT_EQ(server.rawReceived(-1), expectedWire);

    ASSERT_TRUE(events.waitForEvents(kCount));
    const auto seen = events.seen();
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(seen[i].kind, 1);
        ASSERT_EQ(seen[i].data, texts[i]) << "event " << i;
    }
}

TEST(ErpcClientExchange, LargeIncompressibleMessageCrossesInManyChunks) {
    FakeServer server;
    ERPCClient client;
    EventRecorder events(client);
    ASSERT_TRUE(events.connect(server.port()));
    ASSERT_TRUE(server.waitForConnections(1, kPatience));

    const std::string big = randomBytes(std::size_t{1} << 20, 7);
    const std::string packed = protocol::pack(big);
    ASSERT_GT(packed.size(), 100 * protocol::kMaxChunkData);

    ASSERT_TRUE(client.send(packed));
    server.send(-1, big);
    ASSERT_TRUE(client.send(protocol::pack("after")));  // the next message is intact too

    ASSERT_TRUE(server.waitForReceived(2, kPatience));
    const auto received = server.received();
    EXPECT_TRUE(received[0] == big) << "received " << received[0].size() << " bytes";
    EXPECT_EQ(received[1], "after");

    ASSERT_TRUE(events.waitForEvents(1));
    EXPECT_EQ(events.seen()[0].kind, 1);
    EXPECT_TRUE(events.seen()[0].data == big);
}

TEST(ErpcClientExchange, BytesTrickledOneAtATimeMakeOneMessage) {
    FakeServer server;
    ERPCClient client;
    EventRecorder events(client);
    ASSERT_TRUE(events.connect(server.port()));
    ASSERT_TRUE(server.waitForConnections(1, kPatience));

    protocol::FrameEncoder encoder;
    const std::string wire = encoder.encode(protocol::pack("#al9|trickled")) +
                             encoder.encode(protocol::pack("#al10|second"));
    for (const char byte : wire) {
        server.sendRaw(-1, std::string(1, byte));
    }

    ASSERT_TRUE(events.waitForEvents(2));
    const auto seen = events.seen();
    EXPECT_EQ(seen[0].data, "#al9|trickled");
    EXPECT_EQ(seen[1].data, "#al10|second");
    EXPECT_TRUE(client.connected());
}

TEST(ErpcClientExchange, SlowHandlerThrottlesReadingAndLosesNothing) {
    FakeServer server;
    ERPCClient client;
    EventRecorder events(client);
    std::mutex gate;
    std::unique_lock closedGate(gate);
    std::atomic<int> calls{0};
    events.alsoDo([&](const transport::ConnectionEvent*) {
        if (calls++ == 0) {
            std::lock_guard wait(gate);  // blocks until the test opens the gate
        }
    });
    ASSERT_TRUE(events.connect(server.port()));
    ASSERT_TRUE(server.waitForConnections(1, kPatience));

    // Far more events than the client queues while its handler is stuck:
    // it must stop reading, then read on once the handler catches up. The
    // transport carries any bytes, so these messages are left unpacked.
    constexpr int kCount = 10'000;
    protocol::FrameEncoder encoder;
    std::string wire;
    for (int i = 0; i < kCount; ++i) {
        wire += encoder.encode("#ai" + std::to_string(i));
    }
    server.sendRaw(-1, wire);
    ASSERT_TRUE(events.waitForEvents(1));
    closedGate.unlock();

    ASSERT_TRUE(events.waitForEvents(kCount, 30s));
    const auto seen = events.seen();
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(seen[i].bytes, "#ai" + std::to_string(i));
    }
    EXPECT_TRUE(client.connected());
}

TEST(ErpcClientExchange, EmptyMessageIsAcceptedAndPutsNothingOnTheWire) {
    FakeServer server;
    ERPCClient client;
    EventRecorder events(client);
    ASSERT_TRUE(events.connect(server.port()));

    EXPECT_TRUE(client.send(""));
    ASSERT_TRUE(client.send(protocol::pack("#54")));
    ASSERT_TRUE(server.waitForReceived(1, kPatience));

    protocol::FrameEncoder encoder;  // the empty message used no id
    EXPECT_EQ(server.rawReceived(-1), encoder.encode(protocol::pack("#54")));
}

}  // namespace
}  // namespace lanzhou::test
