// Connecting, closing and destroying ERPCClient, from outside and from its
// own handler; and what happens to a message the server will not take.
#include <gtest/gtest.h>

#include <asio.hpp>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "client/transport/erpc_client.h"
#include "protocol/frame_codec.h"
#include "protocol/packed_payload.h"
#include "tests/support/fake_server.h"
#include "tests/support/refused_port.h"
#include "tests/support/socket_buffers.h"
#include "tests/transport/client_harness.h"

namespace lanzhou::test {
namespace {

using transport::ConnectionEvent;
using transport::ERPCClient;

void ignore(const ConnectionEvent*) {}

TEST(ErpcClientConnect, RefusesBadArgumentsAndUnreachablePeers) {
    FakeServer server;
    const RefusedPort refused;
    struct Case {
        const char* name;
        int port;
        std::string host;
        bool withHandler;
    };
    const Case cases[] = {
        {"negative port", -1, "127.0.0.1", true},
        {"port above 65535", 65536, "127.0.0.1", true},
        {"no handler", server.port(), "127.0.0.1", false},
        {"refused port", refused.port(), "127.0.0.1", true},
        {"unknown host name", server.port(), "no-such-host.invalid", true},
        {"empty host", server.port(), "", true},
    };
    for (const auto& c : cases) {
        ERPCClient client;
        const ERPCClient::EventHandler handler = c.withHandler ? ignore : nullptr;
        EXPECT_FALSE(client.connect(c.port, c.host, handler)) << c.name;
        EXPECT_FALSE(client.connected()) << c.name;
        EXPECT_FALSE(client.send(protocol::pack("#54"))) << c.name;
    }
}

TEST(ErpcClientConnect, GivesUpOnAPeerThatNeverAnswers) {
    // A listener that never accepts, its queue filled by one connection: the
    // system drops further connection requests unanswered, as a network that
    // loses them does. (A system that refuses them instead fails at once.)
    asio::io_context io;
    asio::ip::tcp::acceptor listener(io);
    listener.open(asio::ip::tcp::v4());
    listener.bind({asio::ip::address_v4::loopback(), 0});
    listener.listen(0);
    asio::ip::tcp::socket queued(io);
    queued.connect(listener.local_endpoint());

    ERPCClient::Limits limits;
    limits.connect = std::chrono::milliseconds(300);
    ERPCClient client(limits);
    EXPECT_FALSE(client.connect(listener.local_endpoint().port(), "127.0.0.1", ignore));
    EXPECT_FALSE(client.connected());
}

TEST(ErpcClientConnect, TlsAskedOfAPlainServerNeverFallsBackToPlain) {
    // A build with TLS gives up the handshake the plain server never
    // answers; one without says it cannot speak TLS. Neither sends a thing.
    FakeServer server;
    const DiagnosticLog log;
    ERPCClient::Limits limits;
    limits.handshake = std::chrono::milliseconds(300);
    ERPCClient client(limits);
    EXPECT_FALSE(client.connect(server.port(), "127.0.0.1", ignore, ERPCClient::Channel::Tls));
    EXPECT_FALSE(client.connected());
    EXPECT_FALSE(client.send(protocol::pack("#54")));
    EXPECT_TRUE(server.received().empty());
    EXPECT_NE(log.text().find("transport: TLS"), std::string::npos) << log.text();
}

TEST(ErpcClientConnect, ConnectsByNameAndOnlyOnce) {
    FakeServer server;
    ERPCClient client;
    EXPECT_FALSE(client.send(protocol::pack("#54")));  // not connected yet
    ASSERT_TRUE(client.connect(server.port(), "localhost", ignore));
    EXPECT_TRUE(client.connected());
    EXPECT_FALSE(client.connect(server.port(), "127.0.0.1", ignore));
    ASSERT_TRUE(client.send(protocol::pack("#54")));
    ASSERT_TRUE(server.waitForReceived(1, kPatience));
    EXPECT_TRUE(server.waitForConnections(1, kPatience));
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST(ErpcClientClose, CloseTwiceAndSendAfterwards) {
    FakeServer server;
    ERPCClient client;
    EventRecorder events(client);
    ASSERT_TRUE(events.connect(server.port()));
    ASSERT_TRUE(server.waitForConnections(1, kPatience));

    client.close();
    client.close();
    EXPECT_FALSE(client.connected());
    EXPECT_FALSE(client.send(protocol::pack("#54")));
    EXPECT_TRUE(server.waitForConnectionCount(0, kPatience));
    // Closing from this side is not reported to the handler.
    EXPECT_EQ(events.count(), 0u);
}

TEST(ErpcClientClose, CloseBeforeConnectDoesNothing) {
    ERPCClient client;
    client.close();
    EXPECT_FALSE(client.connected());
}

TEST(ErpcClientClose, CloseFromTheHandlerStopsDelivery) {
    FakeServer server;
    ERPCClient client;
    EventRecorder events(client);
    std::atomic<int> kindAfterClose{99};
    events.alsoDo([&](const ConnectionEvent* event) {
        client.close();
        kindAfterClose = client.eventKind(event);
    });
    ASSERT_TRUE(events.connect(server.port()));
    ASSERT_TRUE(server.waitForConnections(1, kPatience));
    for (int i = 0; i < 50; ++i) {
        server.send(-1, "#ai" + std::to_string(i));
    }

    ASSERT_TRUE(events.waitForEvents(1));
    // The recorder counts the event before the handler's own work has run.
    ASSERT_TRUE(eventually([&] { return kindAfterClose != 99; }));
    EXPECT_TRUE(server.waitForConnectionCount(0, kPatience));
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(kindAfterClose, -1);
    EXPECT_EQ(events.count(), 1u);
    client.close();  // from outside as well: joins the parked event thread
    EXPECT_EQ(events.count(), 1u);
}

TEST(ErpcClientClose, DestroyFromTheHandlerOfAClosedEvent) {
    FakeServer server;
    auto client = std::make_unique<ERPCClient>();
    std::atomic<bool> destroyed{false};
    ASSERT_TRUE(client->connect(server.port(), "127.0.0.1", [&](const ConnectionEvent*) {
        client.reset();
        destroyed = true;
    }));
    ASSERT_TRUE(server.waitForConnections(1, kPatience));
    server.close(-1);
    ASSERT_TRUE(eventually([&] { return destroyed.load(); }));
}

TEST(ErpcClientClose, DestroyWhileEventsAreFlowing) {
    FakeServer server;
    std::atomic<int> calls{0};
    {
        ERPCClient client;
        ASSERT_TRUE(client.connect(server.port(), "127.0.0.1", [&](const ConnectionEvent* event) {
            ++calls;
            client.send(std::string(client.eventData(event).value_or("")));
        }));
        ASSERT_TRUE(server.waitForConnections(1, kPatience));
        protocol::FrameEncoder encoder;
        std::string wire;
        for (int i = 0; i < 2000; ++i) {
            wire += encoder.encode("#ai" + std::to_string(i));
        }
        server.sendRaw(-1, wire);
        ASSERT_TRUE(eventually([&] { return calls.load() > 10; }));
    }
    const int afterDestruction = calls.load();
    EXPECT_TRUE(server.waitForConnectionCount(0, kPatience));
    EXPECT_EQ(calls.load(), afterDestruction);
}

TEST(ErpcClientClose, CloseRacesWithSendersOnOtherThreads) {
    FakeServer server;
    ERPCClient client;
    ASSERT_TRUE(client.connect(server.port(), "127.0.0.1", ignore));
    std::atomic<bool> stop{false};
    std::vector<std::thread> senders;
    for (int t = 0; t < 3; ++t) {
        senders.emplace_back([&] {
            while (!stop) {
                client.send(protocol::pack("1"));
            }
        });
    }
    ASSERT_TRUE(server.waitForReceived(10, kPatience));
    client.close();
    stop = true;
    for (auto& sender : senders) {
        sender.join();
    }
    EXPECT_FALSE(client.send(protocol::pack("1")));
}

TEST(ErpcClientSend, StalledMessageIsAbandonedAndTheNextOneGoesOut) {
    FakeServer server;
    constexpr auto kIdle = 100ms;
    ERPCClient client(ERPCClient::Limits{kIdle});
    ASSERT_TRUE(client.connect(server.port(), "127.0.0.1", ignore));
    ASSERT_TRUE(server.waitForConnections(1, kPatience));
    server.pauseReading(-1);
    server.stopDecoding(-1);  // what arrives is a torn stream: just record it

    // More than the two sockets' buffers can hold, so that the write stalls.
    const test::SocketBuffers buffers = test::largestSocketBuffers();
    const std::string big(buffers.send + buffers.receive + (1u << 20), 'B');
    const std::string small = protocol::pack("#54");
    ASSERT_TRUE(client.send(big));
    ASSERT_TRUE(client.send(small));
    // The case is about a stalled write: let several idle periods pass.
    std::this_thread::sleep_for(10 * kIdle);
    server.resumeReading(-1);

    protocol::FrameEncoder encoder;
    const std::string bigWire = encoder.encode(big);
    const std::string smallWire = encoder.encode(small);
    ASSERT_TRUE(eventually([&] {
        const auto raw = server.rawReceived(-1);
        return raw.size() >= smallWire.size() &&
               raw.compare(raw.size() - smallWire.size(), smallWire.size(), smallWire) == 0;
    })) << "the message after the stalled one never arrived";
    const std::string raw = server.rawReceived(-1);
    const std::size_t sentOfBig = raw.size() - smallWire.size();
    EXPECT_LT(sentOfBig, bigWire.size());  // the rest of the big message was dropped
    EXPECT_EQ(raw.compare(0, sentOfBig, bigWire, 0, sentOfBig), 0);
    EXPECT_TRUE(client.connected());
}

}  // namespace
}  // namespace lanzhou::test
