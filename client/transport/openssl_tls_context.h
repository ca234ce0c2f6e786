#pragma once

#include <asio.hpp>
#include <asio/ssl.hpp>

#include "client/transport/tls_context.h"

namespace lanzhou::transport {

// The OpenSSL side of TlsContext, known only to the TLS files.
class OpensslTlsContext final : public TlsContext {
public:
    enum class Side { Client, Server };

    explicit OpensslTlsContext(Side which)
        : side(which),
          context(which == Side::Client ? asio::ssl::context::tls_client
                                        : asio::ssl::context::tls_server) {}

    const Side side;
    asio::ssl::context context;
};

}  // namespace lanzhou::transport
