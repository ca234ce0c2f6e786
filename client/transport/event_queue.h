#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

#include "client/transport/connection_event.h"

namespace lanzhou::transport {

// FIFO hand-off of connection events from the I/O thread to the event
// thread. The consumer blocks on a condition variable (no polling).
//
// The queue is bounded: once it holds `highBytes` of message data or
// `highEvents` events it reports itself full, and the producer stops reading
// from the socket; the consumer learns when it has drained to half of both
// marks and wakes the producer again. A slow handler thus throttles the
// server through TCP instead of growing the queue without end.
class EventQueue final {
  public:
    struct Marks {
        std::size_t highBytes;
        std::size_t highEvents;
    };

    explicit EventQueue(Marks marks);

    // Appends an event (dropped once stopped). True while the producer may
    // carry on; false when the queue is full and the producer should wait
    // for a resume.
    bool push(ConnectionEvent event);

    struct Popped {
        std::optional<ConnectionEvent> event;  // nullopt: stopped
        bool resumeProducer = false;           // the queue drained below its marks
    };

    // Blocks until an event is there or the queue is stopped.
    Popped waitPop();

    // Wakes the consumer for good; later pushes are dropped.
    void stop();
    bool stopped() const;

    // Drops every waiting event.
    void clear();

  private:
    const Marks m_marks;
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<ConnectionEvent> m_events;
    std::size_t m_bytes = 0;
    bool m_full = false;
    bool m_stopped = false;
};

}  // namespace lanzhou::transport
