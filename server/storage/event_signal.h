#pragma once

#include <chrono>

namespace lanzhou::server {

// Tells a waiting thread that operator events may have been recorded. Used
// from that one thread only; the events themselves are read from the log.
class EventSignal {
public:
    virtual ~EventSignal() = default;
    // Waits at most `timeout`. True when events may have been recorded: a
    // notification came, or the signal was (re)established and may have
    // missed some while it was away.
    virtual bool wait(std::chrono::milliseconds timeout) = 0;
};

}  // namespace lanzhou::server
