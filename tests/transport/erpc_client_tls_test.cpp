// The client inside TLS, against the fake server behind TLS with a throwaway
// authority: which servers it accepts, and that every refusal is a failed
// connection that has sent nothing. (Built only with TLS.)
#include <gtest/gtest.h>

#include <asio.hpp>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/transport/erpc_client.h"
#include "protocol/packed_payload.h"
#include "tests/support/fake_server.h"
#include "tests/support/test_pki.h"
#include "tests/transport/client_harness.h"

namespace lanzhou::test {
namespace {

using transport::ERPCClient;
using Channel = ERPCClient::Channel;

// The authority and certificates, made once for the program.
const TestPki& pki() {
    return TestPki::forProgram();
}

FakeServer::TlsFiles files(const TestPki::Pair& pair) {
    return {pair.certificate.string(), pair.key.string()};
}

// Letters that zlib cannot pack much smaller.
std::string scrambledLetters(std::size_t size) {
    std::string text(size, 'a');
    std::uint32_t state = 12345;
    for (char& ch : text) {
        state = state * 1103515245u + 12345u;
        ch = static_cast<char>('a' + (state >> 16) % 26);
    }
    return text;
}

ERPCClient::Limits shortHandshake() {
    ERPCClient::Limits limits;
    limits.handshake = std::chrono::milliseconds(300);
    return limits;
}

TEST(ErpcClientTls, GoodCertificateCarriesTheSessionByNameAndByAddress) {
    // An address is matched as the address connected to, however written.
    for (const std::string host : {"localhost", "127.0.0.1", "127.000.000.001"}) {
        FakeServer server(files(pki().good()));
        ASSERT_NE(server.port(), 0) << server.tlsError();
        ERPCClient client(ERPCClient::Limits{}, pki().authority().string());
        EventRecorder events(client);
        ASSERT_TRUE(client.connect(server.port(), host, events.handler(), Channel::Tls)) << host;
        ASSERT_TRUE(client.send(protocol::pack("#54"))) << host;
        ASSERT_TRUE(server.waitForReceived(1, kPatience)) << host;
        EXPECT_EQ(server.received(), std::vector<std::string>{"#54"}) << host;
        // Messages larger than a TLS record cross it in many pieces, both ways.
        const std::string large = "#ai|" + scrambledLetters(300'000);
        ASSERT_TRUE(client.send(protocol::pack(large))) << host;
        server.send(-1, "#58|1.0");
        server.send(-1, large);
        ASSERT_TRUE(events.waitForEvents(2)) << host;
        EXPECT_EQ(events.seen()[0].data, "#58|1.0") << host;
        EXPECT_EQ(events.seen()[1].data, large) << host;
        ASSERT_TRUE(server.waitForReceived(2, kPatience)) << host;
        EXPECT_EQ(server.received().back(), large) << host;
        // The server's end reaches the client as a closed event.
        server.close(-1);
        EXPECT_TRUE(events.waitForClosedHandled()) << host;
    }
}

TEST(ErpcClientTls, EveryRefusalIsAFailedConnectionThatSentNothing) {
    struct Case {
        const char* name;
        TestPki::Pair certificate;
        std::string host;
        const char* reason;  // in the diagnostic
    };
    const Case cases[] = {
        {"unknown authority", pki().unknownAuthority(), "localhost", "self-signed"},
        {"wrong host name", pki().wrongHost(), "localhost", "hostname mismatch"},
        {"wrong address", pki().wrongHost(), "127.0.0.1", "IP address mismatch"},
        {"expired", pki().expired(), "localhost", "expired"},
    };
    for (const Case& c : cases) {
        const auto server = std::make_unique<FakeServer>(files(c.certificate));
        ASSERT_NE(server->port(), 0) << c.name << ": " << server->tlsError();
        const DiagnosticLog log;
        ERPCClient client(shortHandshake(), pki().authority().string());
        EXPECT_FALSE(client.connect(
            server->port(), c.host, [](auto) {}, Channel::Tls))
            << c.name;
        EXPECT_FALSE(client.connected()) << c.name;
        EXPECT_FALSE(client.send(protocol::pack("#54"))) << c.name;
        EXPECT_TRUE(server->waitForConnections(1, kPatience)) << c.name;
        EXPECT_TRUE(server->received().empty()) << c.name;
        EXPECT_NE(log.text().find(c.reason), std::string::npos) << c.name << ": " << log.text();
    }
}

TEST(ErpcClientTls, StalledHandshakeIsGivenUpAfterTheLimit) {
    // A listener whose connections are queued but never answered.
    asio::io_context io;
    asio::ip::tcp::acceptor listener(io, {asio::ip::address_v4::loopback(), 0});
    const DiagnosticLog log;
    ERPCClient client(shortHandshake(), pki().authority().string());
    EXPECT_FALSE(client.connect(
        listener.local_endpoint().port(), "localhost", [](auto) {}, Channel::Tls));
    EXPECT_FALSE(client.connected());
    EXPECT_NE(log.text().find("no handshake within 300 ms"), std::string::npos) << log.text();
}

TEST(ErpcClientTls, TlsServerAtAPlainAddressDropsTheClearRequest) {
    FakeServer server(files(pki().good()));
    ASSERT_NE(server.port(), 0) << server.tlsError();
    ERPCClient client;
    EventRecorder events(client);
    ASSERT_TRUE(client.connect(server.port(), "127.0.0.1", events.handler()));
    ASSERT_TRUE(client.send(protocol::pack("#54")));
    ASSERT_TRUE(events.waitForClosedHandled());
    EXPECT_EQ(events.seen().size(), 1u);
    EXPECT_TRUE(server.received().empty());
}

TEST(ErpcClientTls, SystemAuthoritiesDoNotTrustTheTestAuthority) {
    FakeServer server(files(pki().good()));
    ASSERT_NE(server.port(), 0) << server.tlsError();
    ERPCClient client(shortHandshake());
    EXPECT_FALSE(client.connect(
        server.port(), "localhost", [](auto) {}, Channel::Tls));
    EXPECT_TRUE(server.received().empty());
}

}  // namespace
}  // namespace lanzhou::test
