#pragma once

#include <string>

namespace lanzhou::transport {

// What the event thread hands to the handler: kind 1 carries one message,
// kind 0 says the connection is gone.
struct ConnectionEvent {
    int kind = 1;
    std::string data;
};

}  // namespace lanzhou::transport
