// How ERPCClient reads a damaged, silent or ending stream from the server.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "client/transport/connection_event.h"
#include "client/transport/erpc_client.h"
#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"
#include "tests/support/fake_server.h"
#include "tests/transport/client_harness.h"

namespace lanzhou::test {
namespace {

using transport::ERPCClient;

std::string wireOf(std::string_view text) {
    protocol::FrameEncoder encoder;
    return encoder.encode(protocol::pack(text));
}

class ErpcClientStream : public ::testing::Test {
protected:
    explicit ErpcClientStream(ERPCClient::Limits limits = {}) : client(limits), events(client) {}

    void SetUp() override {
        ASSERT_TRUE(events.connect(server.port()));
        ASSERT_TRUE(server.waitForConnections(1, kPatience));
    }

    FakeServer server;
    ERPCClient client;
    EventRecorder events;
};

TEST_F(ErpcClientStream, GarbageAtTheStartOfAReadIsDroppedAndTheConnectionStays) {
    server.sendRaw(-1, std::string(24, 'G'));
    // Garbage shares a read with whatever follows it, which goes with it; so
    // offer messages until one arrives on a fresh read.
    bool delivered = false;
    for (int attempt = 0; attempt < 100 && !delivered; ++attempt) {
        server.send(-1, "#aiping");
        delivered = events.waitForEvents(1, 100ms);
    }
    ASSERT_TRUE(delivered);
    for (const auto& seen : events.seen()) {
        EXPECT_EQ(seen.kind, 1);
        EXPECT_EQ(seen.data, "#aiping");
    }
    EXPECT_TRUE(client.connected());
}

TEST_F(ErpcClientStream, BadMagicRightAfterAChunkEndsTheConnection) {
    server.sendRaw(-1, wireOf("#aibefore") + std::string(20, 'X'));

    ASSERT_TRUE(events.waitForClosedHandled());
    const auto seen = events.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].kind, 1);
    EXPECT_EQ(seen[0].data, "#aibefore");
    EXPECT_EQ(seen[1].kind, 0);
    EXPECT_TRUE(eventually([&] { return !client.connected(); }));
}

TEST_F(ErpcClientStream, ServerCloseGivesOneClosedEventThenTheClientIsClosed) {
    server.send(-1, "#aibye");
    server.close(-1);

    ASSERT_TRUE(events.waitForClosedHandled());
    const auto seen = events.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].data, "#aibye");
    EXPECT_EQ(seen[1].kind, 0);  // eventKind inside the handler
    EXPECT_TRUE(seen[1].data.empty());

    // After the handler the client counts as closed, without a close() call.
    ASSERT_TRUE(eventually([&] { return !client.connected(); }));
    const transport::ConnectionEvent data{transport::EventKind::Data, "x"};
    EXPECT_EQ(client.eventKind(&data), -1);
    EXPECT_FALSE(client.eventData(&data));
    EXPECT_FALSE(client.send(protocol::pack("#54")));
    EXPECT_EQ(events.count(), 2u);
}

TEST_F(ErpcClientStream, ZeroLengthFrameEndsTheSession) {
    const std::string id = "0011";
    server.sendRaw(-1, protocol::encodeChunks(id, protocol::encodeFrame(id, "")));

    ASSERT_TRUE(events.waitForClosedHandled());
    ASSERT_EQ(events.seen().size(), 1u);
    EXPECT_EQ(events.seen()[0].kind, 0);
    EXPECT_TRUE(eventually([&] { return !client.connected(); }));
    // The client also hung up its side.
    EXPECT_TRUE(server.waitForConnectionCount(0, kPatience));
}

TEST_F(ErpcClientStream, EventKindAndDataWhileConnected) {
    const transport::ConnectionEvent data{transport::EventKind::Data, "bytes"};
    const transport::ConnectionEvent closed{transport::EventKind::Closed, {}};
    EXPECT_EQ(client.eventKind(nullptr), -1);
    EXPECT_EQ(client.eventKind(&data), 1);
    EXPECT_EQ(client.eventKind(&closed), 0);
    EXPECT_FALSE(client.eventData(nullptr));
    EXPECT_EQ(client.eventData(&data), std::optional<std::string_view>("bytes"));
    EXPECT_FALSE(client.eventData(&closed));
}

class ErpcClientIdle : public ErpcClientStream {
protected:
    static constexpr auto kIdle = 100ms;
    ErpcClientIdle() : ErpcClientStream(ERPCClient::Limits{kIdle}) {}
};

TEST_F(ErpcClientIdle, SilenceInsideAChunkDropsThePartialChunkOnly) {
    const std::string stale = wireOf("#aistale message that never ends");
    server.sendRaw(-1, stale.substr(0, protocol::kChunkHeaderSize + 10));
    // The case is about silence: give the client several idle periods.
    std::this_thread::sleep_for(5 * kIdle);

    // Had the partial chunk been kept, these bytes would complete it.
    server.send(-1, "#aifresh");
    ASSERT_TRUE(events.waitForEvents(1));
    EXPECT_EQ(events.seen()[0].kind, 1);
    EXPECT_EQ(events.seen()[0].data, "#aifresh");
    EXPECT_TRUE(client.connected());
}

}  // namespace
}  // namespace lanzhou::test
