#pragma once

#include <openssl/bio.h>

#include <asio.hpp>

namespace lanzhou::server {

// An OpenSSL BIO that reads and writes through a non-blocking Asio socket,
// so that OpenSSL's records take the same path as plain bytes (no SIGPIPE
// for a peer gone away; "would block" becomes OpenSSL's retry). The socket
// must outlive the BIO. Nothing on failure.
BIO* newSocketBio(asio::ip::tcp::socket& socket);

}  // namespace lanzhou::server
