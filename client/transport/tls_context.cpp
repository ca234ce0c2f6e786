#include "client/transport/tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "client/transport/openssl_tls_context.h"
#include "platform/system_authorities.h"

namespace lanzhou::transport {

namespace {

// Failures of OpenSSL come with a queue of reasons; the newest says most.
std::string opensslReason(const asio::error_code& error) {
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (code != 0) {
        const char* reason = ERR_reason_error_string(code);
        if (reason != nullptr) {
            return reason;
        }
    }
    return error.message();
}

// Whether the file can be opened for reading; the system's reason if not.
Result<void> readable(const std::string& file) {
    std::error_code ignored;
    if (std::filesystem::is_directory(file, ignored)) {
        return fail("a folder, not a file");
    }
    errno = 0;
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        const int cause = errno;
        return fail(cause != 0 ? std::string(std::strerror(cause)) : "cannot be opened");
    }
    char byte = 0;
    stream.read(&byte, 1);
    if (stream.bad()) {
        return fail("cannot be read");
    }
    return {};
}

// Both sides: TLS 1.2 or newer, no compression, no renegotiation.
std::shared_ptr<OpensslTlsContext> baseContext(OpensslTlsContext::Side side) {
    auto made = std::make_shared<OpensslTlsContext>(side);
    SSL_CTX* native = made->context.native_handle();
    SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
    SSL_CTX_set_options(native, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
    return made;
}

// Where OpenSSL's default paths are not the system's store (Windows), the
// authorities the system trusts are added one by one; how many were.
int addSystemAuthorities(SSL_CTX* native) {
    X509_STORE* store = SSL_CTX_get_cert_store(native);
    int added = 0;
    for (const std::string& der : platform::systemAuthorityCertificates()) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
        X509* certificate = d2i_X509(nullptr, &bytes, static_cast<long>(der.size()));
        if (certificate != nullptr) {
            added += X509_STORE_add_cert(store, certificate) == 1 ? 1 : 0;
            X509_free(certificate);
        }
    }
    ERR_clear_error();  // a certificate already there, or one OpenSSL cannot read
    return added;
}

}  // namespace

bool tlsBuiltIn() {
    return true;
}

Result<std::shared_ptr<TlsContext>> makeClientTlsContext(const std::string& authorityFile) {
    auto made = baseContext(OpensslTlsContext::Side::Client);
    asio::error_code error;
    made->context.set_verify_mode(asio::ssl::verify_peer, error);
    if (authorityFile.empty()) {
        made->context.set_default_verify_paths(error);
        const int added = addSystemAuthorities(made->context.native_handle());
        if (error && added == 0) {
            return fail("the system's trusted authorities cannot be used: " + opensslReason(error));
        }
        return std::shared_ptr<TlsContext>(std::move(made));
    }
    if (auto open = readable(authorityFile); !open) {
        return fail(authorityFile + ": " + open.error());
    }
    ERR_clear_error();
    made->context.load_verify_file(authorityFile, error);
    if (error) {
        return fail(authorityFile + ": no usable PEM certificate (" + opensslReason(error) + ")");
    }
    return std::shared_ptr<TlsContext>(std::move(made));
}

Result<std::shared_ptr<TlsContext>> makeServerTlsContext(const std::string& certificateFile,
                                                         const std::string& keyFile) {
    auto made = baseContext(OpensslTlsContext::Side::Server);
    asio::error_code error;
    for (const std::string* file : {&certificateFile, &keyFile}) {
        if (auto open = readable(*file); !open) {
            return fail(*file + ": " + open.error());
        }
    }
    ERR_clear_error();
    made->context.use_certificate_chain_file(certificateFile, error);
    if (error) {
        return fail(certificateFile + ": " + opensslReason(error));
    }
    made->context.use_private_key_file(keyFile, asio::ssl::context::pem, error);
    if (error) {
        return fail(keyFile + ": " + opensslReason(error));
    }
    if (SSL_CTX_check_private_key(made->context.native_handle()) != 1) {
        ERR_clear_error();
        return fail(keyFile + ": not the key of " + certificateFile);
    }
    return std::shared_ptr<TlsContext>(std::move(made));
}

}  // namespace lanzhou::transport
