// A build without OpenSSL: every TLS request is refused with the reason.
#include "client/transport/tls_context.h"
#include "client/transport/tls_stream.h"

namespace lanzhou::transport {

namespace {

constexpr const char* kNoTls = "this build cannot speak TLS (it was made without OpenSSL)";

}  // namespace

bool tlsBuiltIn() {
    return false;
}

Result<std::shared_ptr<TlsContext>> makeClientTlsContext(const std::string&) {
    return fail(kNoTls);
}

Result<std::shared_ptr<TlsContext>> makeServerTlsContext(const std::string&, const std::string&) {
    return fail(kNoTls);
}

Result<std::unique_ptr<TlsStream>> makeClientTlsStream(asio::ip::tcp::socket&,
                                                       std::shared_ptr<TlsContext>,
                                                       const std::string&) {
    return fail(kNoTls);
}

Result<std::unique_ptr<TlsStream>> makeServerTlsStream(asio::ip::tcp::socket&,
                                                       std::shared_ptr<TlsContext>) {
    return fail(kNoTls);
}

}  // namespace lanzhou::transport
