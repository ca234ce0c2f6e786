#pragma once

#include <string>

namespace lanzhou::transport {

// What an event says. ERPCClient::eventKind gives the numbers 1 and 0 for
// them to a handler; inside the client only this type is used.
enum class EventKind { Closed = 0, Data = 1 };

// One event of the connection: a message that arrived, or its end.
struct ConnectionEvent {
    EventKind kind = EventKind::Data;
    std::string data;  // the message bytes of a data event
};

}  // namespace lanzhou::transport
