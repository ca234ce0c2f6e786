// NetworkServer's TLS listener: members over TLS beside plain ones, the
// versions it speaks, the certificates and keys it refuses, and peers that
// break or stall the handshake. The handshake limit is made short, so a
// stalled peer ends well within the clients' read timeout. Then `serve` with
// its TLS flags and settings, as a child process.

#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <asio/ssl.hpp>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/server_process.h"
#include "tests/server/network_fixture.h"
#include "tests/support/random_bytes.h"
#include "tests/support/socket_buffers.h"
#include "tests/support/test_pki.h"

namespace lanzhou::server {
namespace {

using test::randomBytes;

using TlsClient = BasicClient<asio::ssl::stream<asio::ip::tcp::socket>>;

// A client context that trusts the test authority only, like a member's
// client given it as its authority file; `version` pins the protocol.
std::unique_ptr<asio::ssl::context> clientContext(const test::TestPki& pki, int version = 0) {
    auto context = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_client);
    context->load_verify_file(pki.authority().string());
    context->set_verify_mode(asio::ssl::verify_peer);
    if (version != 0) {
        SSL_CTX* native = context->native_handle();
        SSL_CTX_set_min_proto_version(native, version);
        SSL_CTX_set_max_proto_version(native, version);
        // Old versions need the old signatures this OpenSSL refuses by default.
        SSL_CTX_set_cipher_list(native, "DEFAULT:@SECLEVEL=0");
    }
    return context;
}

// The client's handshake with "localhost", verified; its error, if any.
asio::error_code handshake(TlsClient& client) {
    auto& stream = client.stream();
    SSL_set_tlsext_host_name(stream.native_handle(), "localhost");
    stream.set_verify_callback(asio::ssl::host_name_verification("localhost"));
    asio::error_code result = asio::error::timed_out;
    client.io().restart();
    stream.async_handshake(asio::ssl::stream_base::client,
                           [&result](const asio::error_code& error) { result = error; });
    client.io().run_for(kWait);
    if (result == asio::error::timed_out) {
        stream.lowest_layer().cancel();
        client.io().restart();
        client.io().run();
    }
    return result;
}

// What a client sends first: its hello, made with memory buffers.
std::string clientHello() {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    SSL* ssl = SSL_new(context);
    BIO* in = BIO_new(BIO_s_mem());
    BIO* out = BIO_new(BIO_s_mem());
    SSL_set_bio(ssl, in, out);
    SSL_set_tlsext_host_name(ssl, "localhost");
    SSL_connect(ssl);  // stops for the server's answer
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    std::string hello(data, static_cast<std::size_t>(size));
    SSL_free(ssl);
    SSL_CTX_free(context);
    return hello;
}

void writeFile(const std::filesystem::path& file, const std::string& content,
               std::filesystem::perms mode) {
    std::ofstream(file, std::ios::binary) << content;
    std::filesystem::permissions(file, mode, std::filesystem::perm_options::replace);
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The key in `pem`, written again under a passphrase.
std::string encryptedKey(const std::string& pem) {
    BIO* in = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    EVP_PKEY* key = PEM_read_bio_PrivateKey(in, nullptr, nullptr, nullptr);
    BIO* out = BIO_new(BIO_s_mem());
    char passphrase[] = "secret";
    PEM_write_bio_PKCS8PrivateKey(out, key, EVP_aes_128_cbc(), passphrase, 6, nullptr, nullptr);
    char* data = nullptr;
    const long size = BIO_get_mem_data(out, &data);
    std::string encrypted(data, static_cast<std::size_t>(size));
    BIO_free(out);
    EVP_PKEY_free(key);
    BIO_free(in);
    return encrypted;
}

class TlsListenerTest : public NetworkServerTest {
protected:
    void SetUp() override {
        std::string error;
        m_pki = test::TestPki::make(error);
        ASSERT_TRUE(m_pki) << error;
        m_tls = TlsSettings{"127.0.0.1:0", m_pki->good().certificate, m_pki->good().key};
        m_options.handshakeLimit = 300ms;
    }

    // A member over TLS, its handshake done.
    std::unique_ptr<TlsClient> secureMember() {
        auto client = std::make_unique<TlsClient>(tlsPort(), std::nullopt, *m_clientContext);
        const asio::error_code error = handshake(*client);
        EXPECT_FALSE(error) << error.message();
        return client;
    }

    std::unique_ptr<test::TestPki> m_pki;
    std::unique_ptr<asio::ssl::context> m_clientContext;
};

TEST_F(TlsListenerTest, MembersAreServedOverTlsBesidePlainOnes) {
    addMember("secure");
    startServer();
    m_clientContext = clientContext(*m_pki);
    auto member = secureMember();
    expectServed(*member);
    member->send("#a3|secure|secure");
    ASSERT_TRUE(member->nextStartingWith("#ad"));
    RawClient plain(port());
    expectServed(plain);

    ASSERT_TRUE(m_operator->publishAlert(alertFor("over tls")));
    const auto received = member->nextStartingWith("#ai");
    ASSERT_TRUE(received);
    EXPECT_NE(received->find("over tls"), std::string::npos) << *received;
}

// More than the sockets between server and member can hold, while the
// member does not read: OpenSSL's writes stop halfway and are taken up again
// from the queue, and every alert arrives whole and in order.
TEST_F(TlsListenerTest, ASlowReaderGetsEveryAlertWholeAndInOrder) {
    m_settings.maxQueuedBytes = std::size_t{1} << 30;  // only the sockets fill up
    addMember("slow");
    startServer();
    m_clientContext = clientContext(*m_pki);
    TlsClient slow(tlsPort(), 4096, *m_clientContext);
    ASSERT_FALSE(handshake(slow));
    slow.send("#a3|slow|slow");
    ASSERT_TRUE(slow.nextStartingWith("#ad"));
    // Random letters pack to about 60 %: half the remark is a safe floor.
    constexpr std::size_t kRemark = 30'000;
    const test::SocketBuffers buffers = test::largestSocketBuffers();
    const std::size_t alerts =
        (buffers.send + slow.receiveBufferSize() + (std::size_t{1} << 20)) / (kRemark / 2) + 1;
    for (std::size_t i = 0; i < alerts; ++i) {
        ASSERT_TRUE(
            m_operator->publishAlert(alertFor(randomLetters(kRemark, static_cast<unsigned>(i)))));
    }
    for (std::size_t i = 0; i < alerts; ++i) {
        const auto alert = slow.nextStartingWith("#ai");
        ASSERT_TRUE(alert) << "alert " << i << " of " << alerts;
        ASSERT_NE(alert->find(randomLetters(kRemark, static_cast<unsigned>(i))), std::string::npos)
            << "alert " << i;
    }
}

TEST_F(TlsListenerTest, SpeaksTls12OrNewerOnly) {
    startServer();
    RawClient plain(port());
    struct Case {
        const char* name;
        int version;
        bool accepted;
    };
    for (const Case& c :
         {Case{"TLS 1.1", TLS1_1_VERSION, false}, Case{"TLS 1.2", TLS1_2_VERSION, true},
          Case{"TLS 1.3", TLS1_3_VERSION, true}}) {
        SCOPED_TRACE(c.name);
        m_clientContext = clientContext(*m_pki, c.version);
        TlsClient client(tlsPort(), std::nullopt, *m_clientContext);
        const asio::error_code error = handshake(client);
        EXPECT_EQ(!error, c.accepted) << error.message();
        if (c.accepted) {
            expectServed(client);
        }
        expectServed(plain);
    }
}

TEST_F(TlsListenerTest, BrokenInputInsideTlsClosesOnlyThatConnection) {
    startServer();
    m_clientContext = clientContext(*m_pki);
    auto bystander = secureMember();
    auto broken = secureMember();
    broken->sendRaw("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(broken->waitClosed());
    expectServed(*bystander);
}

// Peers on the TLS port that are no TLS clients, or stop halfway: each
// connection ends (at the latest at the handshake limit) while a member
// over TLS and a plain one go on being served.
TEST_F(TlsListenerTest, BrokenAndStalledHandshakesEndWithoutHarmingOthers) {
    startServer();
    m_clientContext = clientContext(*m_pki);
    auto secure = secureMember();
    RawClient plain(port());
    const std::string hello = clientHello();
    ASSERT_GT(hello.size(), 10u);
    struct Case {
        const char* name;
        std::string bytes;
        bool closeAtOnce;  // the peer goes away right after
    };
    const std::vector<Case> cases = {
        {"plain text before any handshake", "GET / HTTP/1.1\r\nHost: x\r\n\r\n", false},
        {"the framing of a plain member", protocol::FrameEncoder().encode(protocol::pack("#TM")),
         false},
        {"random bytes", randomBytes(600, 7), false},
        {"a handshake record of random bytes", "\x16\x03\x01\x01\x00" + randomBytes(256, 8), false},
        {"a client hello, then garbage", hello + randomBytes(300, 9), false},
        {"half a client hello, then silence", hello.substr(0, hello.size() / 2), false},
        {"a client hello, then silence", hello, false},
        {"a record announcing more than follows",
         std::string("\x16\x03\x01\x40\x00"
                     "abc",
                     8),
         false},
        {"nothing at all", "", false},
        {"a client hello, then gone", hello, true},
        {"half a client hello, then gone", hello.substr(0, hello.size() / 2), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawClient peer(tlsPort());
        peer.sendRaw(c.bytes);
        if (c.closeAtOnce) {
            peer.close();
        } else {
            EXPECT_TRUE(peer.waitClosed());
        }
        expectServed(*secure);
        expectServed(plain);
    }
    auto late = secureMember();
    expectServed(*late);
}

TEST_F(TlsListenerTest, ManyStalledHandshakesAtOnceDoNotHoldUpOthers) {
    startServer();
    m_clientContext = clientContext(*m_pki);
    const std::string hello = clientHello();
    std::vector<std::unique_ptr<RawClient>> stalled;
    for (int i = 0; i < 64; ++i) {
        stalled.push_back(std::make_unique<RawClient>(tlsPort()));
        stalled.back()->sendRaw(i % 2 == 0 ? hello : hello.substr(0, 20));
    }
    // While they stall, new members get through in both ways.
    auto secure = secureMember();
    expectServed(*secure);
    RawClient plain(port());
    expectServed(plain);
    for (auto& peer : stalled) {
        EXPECT_TRUE(peer->waitClosed());
    }
    expectServed(*secure);
}

TEST_F(TlsListenerTest, StopEndsMembersAndHandshakesInProgress) {
    m_options.handshakeLimit = 24h;  // only the stop can end them
    startServer();
    m_clientContext = clientContext(*m_pki);
    auto secure = secureMember();
    expectServed(*secure);
    RawClient stalled(tlsPort());
    stalled.sendRaw(clientHello());
    stopServer();
    EXPECT_TRUE(secure->waitClosed());
    EXPECT_TRUE(stalled.waitClosed());
}

TEST_F(TlsListenerTest, RefusesKeysOthersMayReadAndFilesItCannotUse) {
    namespace fs = std::filesystem;
    using fs::perms;
    const fs::path folder = m_directory;
    const std::string goodKey = readFile(m_pki->good().key);
    const perms privateMode = perms::owner_read | perms::owner_write;
    writeFile(folder / "key-0644.pem", goodKey,
              privateMode | perms::group_read | perms::others_read);
    writeFile(folder / "key-0640.pem", goodKey, privateMode | perms::group_read);
    writeFile(folder / "not-a-certificate.pem", "no certificate here\n", privateMode);
    writeFile(folder / "not-a-key.pem", "no key here\n", privateMode);
    writeFile(folder / "encrypted-key.pem", encryptedKey(goodKey), privateMode);
    const fs::path good = m_pki->good().certificate;
    struct Case {
        const char* name;
        fs::path certificate;
        fs::path key;
        std::vector<std::string> expected;  // in the message
    };
    const std::vector<Case> cases = {
        {"key readable by all",
         good,
         folder / "key-0644.pem",
         {(folder / "key-0644.pem").string(), "0644", "chmod 600"}},
        {"key readable by the group", good, folder / "key-0640.pem", {"0640", "chmod 600"}},
        {"no certificate file",
         folder / "absent.pem",
         m_pki->good().key,
         {"certificate", (folder / "absent.pem").string()}},
        {"no key file", good, folder / "absent-key.pem", {"key", "absent-key.pem"}},
        {"certificate not PEM",
         folder / "not-a-certificate.pem",
         m_pki->good().key,
         {"not-a-certificate.pem", "certificate"}},
        {"key not PEM", good, folder / "not-a-key.pem", {"not-a-key.pem", "private key"}},
        {"key under a passphrase",
         good,
         folder / "encrypted-key.pem",
         {"encrypted-key.pem", "encrypted"}},
        {"key of another certificate", m_pki->authority(), m_pki->good().key, {"does not belong"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NetworkServer server(m_settings, *m_storage, m_options);
        std::string error;
        EXPECT_FALSE(server.listenTls({"127.0.0.1:0", c.certificate, c.key}, error));
        for (const std::string& part : c.expected) {
            EXPECT_NE(error.find(part), std::string::npos) << error;
        }
        EXPECT_EQ(server.tlsPort(), 0);
    }
}

// `serve` opens the plain listener beside a TLS one only when asked to; the
// [tls] table names its files relative to the settings file.
TEST(ServeTls, ListensInTlsAndInPlainTcpOnlyWhenAskedTo) {
    namespace fs = std::filesystem;
    std::string error;
    const auto pki = test::TestPki::make(error);
    ASSERT_TRUE(pki) << error;
    const fs::path folder = pki->folder();
    fs::copy_file(pki->good().certificate, folder / "chain.pem");
    fs::copy_file(pki->good().key, folder / "key.pem");
    std::ofstream(folder / "tls.toml")
        << "[tls]\nlisten = \"127.0.0.1:0\"\ncertificate = \"chain.pem\"\nkey = \"key.pem\"\n";
    std::ofstream(folder / "both.toml") << "listen = \"127.0.0.1:0\"\n"
                                        << "[tls]\nlisten = \"127.0.0.1:0\"\ncertificate = "
                                           "\"chain.pem\"\nkey = \"key.pem\"\n";
    const std::vector<std::string> flags = {"--tls-listen", "127.0.0.1:0",
                                            "--tls-cert",   pki->good().certificate.string(),
                                            "--tls-key",    pki->good().key.string()};
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        bool plain;
    };
    std::vector<Case> cases = {
        {"flags only", flags, false},
        {"flags and --listen", flags, true},
        {"[tls] only", {"--config", (folder / "tls.toml").string()}, false},
        {"[tls] and listen", {"--config", (folder / "both.toml").string()}, true},
        {"[tls] and --listen", {"--config", (folder / "tls.toml").string()}, true},
    };
    cases[1].arguments.insert(cases[1].arguments.end(), {"--listen", "127.0.0.1:0"});
    cases[4].arguments.insert(cases[4].arguments.end(), {"--listen", "127.0.0.1:0"});
    const auto context = clientContext(*pki);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments = {"--db", (folder / "service.db").string()};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        test::ServerProcess server(arguments);
        ASSERT_NE(server.tlsPort(), 0) << server.errorOutput();
        EXPECT_EQ(server.port() != 0, c.plain);
        TlsClient member(server.tlsPort(), std::nullopt, *context);
        const asio::error_code handshakeError = handshake(member);
        ASSERT_FALSE(handshakeError) << handshakeError.message();
        member.send("#TM");
        EXPECT_TRUE(member.nextStartingWith("#TM"));
        EXPECT_EQ(server.terminate(), 0);
    }
}

TEST(ServeTls, RefusesToStartWithoutAUsableKeyAndSaysWhy) {
    namespace fs = std::filesystem;
    std::string error;
    const auto pki = test::TestPki::make(error);
    ASSERT_TRUE(pki) << error;
    const fs::path open = pki->folder() / "open-key.pem";
    writeFile(open, readFile(pki->good().key),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const std::string certificate = pki->good().certificate.string();
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string expected;  // on standard error
    };
    const std::vector<Case> cases = {
        {"a key others may read",
         {"--tls-listen", "127.0.0.1:0", "--tls-cert", certificate, "--tls-key", open.string()},
         "chmod 600"},
        {"a certificate without a listener", {"--tls-cert", certificate}, "--tls-listen"},
        {"a listener without a key",
         {"--tls-listen", "127.0.0.1:0", "--tls-cert", certificate},
         "--tls-key"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments = {"--db", (pki->folder() / "service.db").string(),
                                              "--listen", "127.0.0.1:0"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        test::ServerProcess server(arguments);
        EXPECT_EQ(server.port(), 0);
        EXPECT_EQ(server.tlsPort(), 0);
        EXPECT_EQ(server.terminate(), 1);
        EXPECT_NE(server.errorOutput().find(c.expected), std::string::npos) << server.errorOutput();
    }
}

}  // namespace
}  // namespace lanzhou::server
