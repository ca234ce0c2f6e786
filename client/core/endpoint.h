#pragma once

#include <string>

namespace lanzhou::core {

// A server address: host name or dotted address, and port; `tls` when the
// connection is to be made inside TLS ("tls://HOST:PORT").
struct Endpoint {
    std::string host;
    int port = 0;
    bool tls = false;

    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

}  // namespace lanzhou::core
