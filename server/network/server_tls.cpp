#include "server/network/server_tls.h"

#include <openssl/pem.h>

#include <asio/ssl.hpp>
#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>

#include "server/network/tls_connection.h"

namespace lanzhou::server {

namespace {

using std::filesystem::perms;

// A message when `file` cannot be opened for reading.
std::string unreadable(const std::string& what, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (in) {
        return {};
    }
    std::error_code code;
    const bool exists = std::filesystem::exists(file, code);
    return "cannot read the " + what + " " + file.string() +
           (exists ? ": permission denied" : ": no such file");
}

// A message when the group or others may read the key.
std::string readableByOthers(const std::filesystem::path& key) {
    std::error_code code;
    const perms mode = std::filesystem::status(key, code).permissions();
    if (code || (mode & (perms::group_all | perms::others_all)) == perms::none) {
        return {};
    }
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode & perms::mask));
    return "the TLS key file " + key.string() + " has mode " + octal +
           ": others may read it; make it private (chmod 600 " + key.string() + ")";
}

// An encrypted key is not asked for a passphrase (there is nobody to ask).
int noPassphrase(char*, int, int, void*) {
    return -1;
}

EVP_PKEY* readPrivateKey(const std::filesystem::path& file) {
    BIO* bio = BIO_new_file(file.string().c_str(), "r");
    if (bio == nullptr) {
        ERR_clear_error();
        return nullptr;
    }
    EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, noPassphrase, nullptr);
    BIO_free(bio);
    ERR_clear_error();
    return key;
}

std::string reason(const asio::error_code& code) {
    return code.message().empty() ? "not a PEM file" : code.message();
}

}  // namespace

struct ServerTls::Context {
    asio::ssl::context ssl{asio::ssl::context::tls_server};
};

ServerTls::ServerTls(std::unique_ptr<Context> context) : m_context(std::move(context)) {}
ServerTls::~ServerTls() = default;

Result<std::unique_ptr<ServerTls>> ServerTls::load(const std::filesystem::path& certificate,
                                                   const std::filesystem::path& key) {
    for (const std::string& problem : {unreadable("TLS certificate file", certificate),
                                       unreadable("TLS key file", key), readableByOthers(key)}) {
        if (!problem.empty()) {
            return fail(problem);
        }
    }
    auto context = std::make_unique<Context>();
    asio::ssl::context& ssl = context->ssl;
    ssl.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                    asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                    asio::ssl::context::no_tlsv1_1 | asio::ssl::context::no_compression |
                    SSL_OP_NO_RENEGOTIATION);
    SSL_CTX* native = ssl.native_handle();
    if (SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION) != 1) {
        return fail("cannot require TLS 1.2 or newer");
    }
    // Idle members hold no OpenSSL read or write buffers; a write the socket
    // did not take is retried from wherever its bytes are now.
    SSL_CTX_set_mode(native, SSL_MODE_RELEASE_BUFFERS | SSL_MODE_ENABLE_PARTIAL_WRITE |
                                 SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);

    asio::error_code code;
    ssl.use_certificate_chain_file(certificate.string(), code);
    if (code) {
        return fail("the TLS certificate file " + certificate.string() +
                    " holds no PEM certificate chain: " + reason(code));
    }
    // Read apart from its use, so that a key of another certificate is told
    // from a file that holds no key.
    const std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> privateKey(readPrivateKey(key),
                                                                    EVP_PKEY_free);
    if (!privateKey) {
        return fail("the TLS key file " + key.string() +
                    " holds no PEM private key (or an encrypted one)");
    }
    if (SSL_CTX_use_PrivateKey(native, privateKey.get()) != 1 ||
        SSL_CTX_check_private_key(native) != 1) {
        ERR_clear_error();
        return fail("the TLS key file " + key.string() + " does not belong to the certificate " +
                    certificate.string());
    }
    return std::unique_ptr<ServerTls>(new ServerTls(std::move(context)));
}

std::shared_ptr<ServerConnection> ServerTls::connection(asio::ip::tcp::socket socket,
                                                        ServerConnection::Id id,
                                                        ServerConnection::Limits limits,
                                                        ServerConnection::Owner& owner,
                                                        std::chrono::milliseconds handshakeLimit) {
    return std::make_shared<TlsConnection>(std::move(socket), m_context->ssl.native_handle(), id,
                                           limits, owner, handshakeLimit);
}

}  // namespace lanzhou::server
