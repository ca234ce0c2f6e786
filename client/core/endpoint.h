#pragma once

#include <string>

namespace lanzhou::core {

// A server address: host name or dotted address, and port.
struct Endpoint {
    std::string host;
    int port = 0;

    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

}  // namespace lanzhou::core
