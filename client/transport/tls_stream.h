#pragma once

#include <asio.hpp>
#include <functional>
#include <memory>
#include <string>

#include "base/result.h"
#include "client/transport/tls_context.h"

namespace lanzhou::transport {

// TLS over a connected TCP socket that stays its owner's: the stream only
// refers to it, and ending the connection is closing that socket (no
// close_notify exchange is ever waited for). All calls and handlers run on
// the socket's I/O thread; one read and one write may be in flight at once.
class TlsStream {
public:
    using Handler = std::function<void(const asio::error_code&, std::size_t)>;
    using HandshakeHandler = std::function<void(const asio::error_code&)>;

    virtual ~TlsStream() = default;

    virtual void asyncHandshake(HandshakeHandler handler) = 0;
    virtual void asyncReadSome(asio::mutable_buffer buffer, Handler handler) = 0;
    virtual void asyncWriteSome(asio::const_buffer buffer, Handler handler) = 0;

    // Why the handshake failed with `error`, for a log line: the verdict on
    // the peer's certificate when that was the cause.
    virtual std::string failureText(const asio::error_code& error) const = 0;

protected:
    TlsStream() = default;
};

// A client's stream to `host` (a name or an address, as the member wrote
// it): a name is sent as the server name, and the certificate must name the
// host, or carry the address itself. The context must be a client's.
Result<std::unique_ptr<TlsStream>> makeClientTlsStream(asio::ip::tcp::socket& socket,
                                                       std::shared_ptr<TlsContext> context,
                                                       const std::string& host);

// A server's stream (for the tests' fake server). The context must be a
// server's.
Result<std::unique_ptr<TlsStream>> makeServerTlsStream(asio::ip::tcp::socket& socket,
                                                       std::shared_ptr<TlsContext> context);

}  // namespace lanzhou::transport
