#include "client/transport/tls_stream.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>
#include <utility>

#include "client/transport/host_lookup.h"
#include "client/transport/openssl_tls_context.h"

namespace lanzhou::transport {

namespace {

class OpensslTlsStream final : public TlsStream {
public:
    OpensslTlsStream(asio::ip::tcp::socket& socket, std::shared_ptr<OpensslTlsContext> context)
        : m_context(std::move(context)), m_stream(socket, m_context->context) {}

    SSL* native() { return m_stream.native_handle(); }

    void asyncHandshake(HandshakeHandler handler) override {
        const auto type = m_context->side == OpensslTlsContext::Side::Client
                              ? asio::ssl::stream_base::client
                              : asio::ssl::stream_base::server;
        m_stream.async_handshake(type, std::move(handler));
    }

    void asyncReadSome(asio::mutable_buffer buffer, Handler handler) override {
        m_stream.async_read_some(buffer, std::move(handler));
    }

    void asyncWriteSome(asio::const_buffer buffer, Handler handler) override {
        m_stream.async_write_some(buffer, std::move(handler));
    }

    std::string failureText(const asio::error_code& error) const override {
        // const only by its interface: OpenSSL's getters take the handle.
        SSL* ssl = const_cast<OpensslTlsStream*>(this)->native();
        const long verdict = SSL_get_verify_result(ssl);
        if (verdict != X509_V_OK) {
            return std::string("certificate refused: ") + X509_verify_cert_error_string(verdict);
        }
        if (error == asio::error::eof || error == asio::ssl::error::stream_truncated) {
            return "the server closed the connection during the TLS handshake";
        }
        return "TLS handshake failed: " + error.message();
    }

private:
    std::shared_ptr<OpensslTlsContext> m_context;  // outlives the stream's SSL object
    asio::ssl::stream<asio::ip::tcp::socket&> m_stream;
};

// The address the member wrote, as bytes, when the host is one: dotted IPv4
// read as the connection reads it, or IPv6.
std::optional<std::string> addressBytes(const std::string& host) {
    if (const auto v4 = parseDottedIpv4(host)) {
        const auto bytes = v4->to_bytes();
        return std::string(bytes.begin(), bytes.end());
    }
    asio::error_code error;
    const auto v6 = asio::ip::make_address_v6(host, error);
    if (!error) {
        const auto bytes = v6.to_bytes();
        return std::string(bytes.begin(), bytes.end());
    }
    return std::nullopt;
}

// The peer's certificate must be for `host`: an address is matched against
// the certificate's IP addresses, a name against its DNS names (OpenSSL's
// chain verification checks it, so a mismatch fails the handshake).
Result<void> expectPeer(SSL* ssl, const std::string& host) {
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
    if (const auto address = addressBytes(host)) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(address->data());
        if (X509_VERIFY_PARAM_set1_ip(param, bytes, address->size()) != 1) {
            return fail("cannot check the address " + host);
        }
        return {};
    }
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (host.empty() || X509_VERIFY_PARAM_set1_host(param, host.c_str(), host.size()) != 1 ||
        SSL_set_tlsext_host_name(ssl, host.c_str()) != 1) {
        return fail("cannot check the host name " + host);
    }
    return {};
}

std::shared_ptr<OpensslTlsContext> sideOf(const std::shared_ptr<TlsContext>& context,
                                          OpensslTlsContext::Side side) {
    auto openssl = std::dynamic_pointer_cast<OpensslTlsContext>(context);
    return openssl && openssl->side == side ? openssl : nullptr;
}

}  // namespace

Result<std::unique_ptr<TlsStream>> makeClientTlsStream(asio::ip::tcp::socket& socket,
                                                       std::shared_ptr<TlsContext> context,
                                                       const std::string& host) {
    auto client = sideOf(context, OpensslTlsContext::Side::Client);
    if (!client) {
        return fail("not a client's TLS context");
    }
    auto stream = std::make_unique<OpensslTlsStream>(socket, std::move(client));
    if (auto expected = expectPeer(stream->native(), host); !expected) {
        return fail(expected.error());
    }
    return std::unique_ptr<TlsStream>(std::move(stream));
}

Result<std::unique_ptr<TlsStream>> makeServerTlsStream(asio::ip::tcp::socket& socket,
                                                       std::shared_ptr<TlsContext> context) {
    auto server = sideOf(context, OpensslTlsContext::Side::Server);
    if (!server) {
        return fail("not a server's TLS context");
    }
    return std::unique_ptr<TlsStream>(
        std::make_unique<OpensslTlsStream>(socket, std::move(server)));
}

}  // namespace lanzhou::transport
