#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "client/transport/connection_event.h"

namespace lanzhou::transport {

// FIFO hand-off of connection events from the I/O thread to whoever handles
// them: the event thread, or the owner's own thread taking them in batches.
//
// The queue is bounded: once it holds `highBytes` of message data or
// `highEvents` events it reports itself full, and the producer stops reading
// from the socket; a take that drains it to half of both marks says so, and
// the producer reads again. A slow consumer thus throttles the server through
// TCP instead of growing the queue without end.
//
// A consumer that is not blocked in waitTake learns of new events from
// push(): the first push after a take that emptied the queue says the queue
// became ready, and later pushes stay quiet until the consumer has emptied
// it again, so one wake-up serves a whole batch.
class EventQueue final {
public:
    struct Marks {
        std::size_t highBytes;
        std::size_t highEvents;
    };

    explicit EventQueue(Marks marks);

    struct Pushed {
        bool carryOn = true;       // false: full, wait for a resume
        bool becameReady = false;  // tell the consumer that events wait
    };
    // Appends an event (dropped once stopped).
    Pushed push(ConnectionEvent event);

    struct Taken {
        bool stopped = false;         // nothing was taken and nothing will be
        bool more = false;            // events wait beyond the batch
        bool resumeProducer = false;  // the queue drained below its marks
    };
    // Moves waiting events, oldest first, to the end of `batch`: at most
    // `maxEvents`, and no more once `maxBytes` of data were taken (but
    // always one when any waits). Never blocks.
    Taken take(std::vector<ConnectionEvent>& batch, std::size_t maxEvents, std::size_t maxBytes);
    // The same, after waiting until an event is there or the queue stopped.
    Taken waitTake(std::vector<ConnectionEvent>& batch, std::size_t maxEvents,
                   std::size_t maxBytes);

    // Wakes the consumer for good; later pushes are dropped.
    void stop();
    bool stopped() const;

    // Drops every waiting event.
    void clear();

    // Message bytes waiting.
    std::size_t bytes() const;

private:
    Taken takeLocked(std::vector<ConnectionEvent>& batch, std::size_t maxEvents,
                     std::size_t maxBytes);

    const Marks m_marks;
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<ConnectionEvent> m_events;
    std::size_t m_bytes = 0;
    bool m_full = false;
    bool m_signalled = false;  // ready was told and the queue not emptied since
    bool m_stopped = false;
};

}  // namespace lanzhou::transport
