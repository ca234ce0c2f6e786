#include "client/transport/event_queue.h"

#include <utility>

namespace lanzhou::transport {

EventQueue::EventQueue(Marks marks) : m_marks(marks) {}

EventQueue::Pushed EventQueue::push(ConnectionEvent event) {
    Pushed pushed;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) {
            return pushed;
        }
        m_bytes += event.data.size();
        m_events.push_back(std::move(event));
        if (m_bytes >= m_marks.highBytes || m_events.size() >= m_marks.highEvents) {
            m_full = true;
        }
        pushed.carryOn = !m_full;
        pushed.becameReady = !std::exchange(m_signalled, true);
    }
    m_ready.notify_one();
    return pushed;
}

EventQueue::Taken EventQueue::take(std::vector<ConnectionEvent>& batch, std::size_t maxEvents,
                                   std::size_t maxBytes) {
    std::lock_guard lock(m_mutex);
    return takeLocked(batch, maxEvents, maxBytes);
}

EventQueue::Taken EventQueue::waitTake(std::vector<ConnectionEvent>& batch, std::size_t maxEvents,
                                       std::size_t maxBytes) {
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [this] { return m_stopped || !m_events.empty(); });
    return takeLocked(batch, maxEvents, maxBytes);
}

EventQueue::Taken EventQueue::takeLocked(std::vector<ConnectionEvent>& batch, std::size_t maxEvents,
                                         std::size_t maxBytes) {
    Taken taken;
    if (m_stopped) {
        taken.stopped = true;
        return taken;
    }
    std::size_t events = 0;
    std::size_t bytes = 0;
    while (!m_events.empty() && events < maxEvents && (events == 0 || bytes < maxBytes)) {
        bytes += m_events.front().data.size();
        batch.push_back(std::move(m_events.front()));
        m_events.pop_front();
        ++events;
    }
    m_bytes -= bytes;
    taken.more = !m_events.empty();
    if (!taken.more) {
        m_signalled = false;  // the next push wakes the consumer again
    }
    if (m_full && m_bytes <= m_marks.highBytes / 2 && m_events.size() <= m_marks.highEvents / 2) {
        m_full = false;
        taken.resumeProducer = true;
    }
    return taken;
}

void EventQueue::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_ready.notify_all();
}

bool EventQueue::stopped() const {
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

void EventQueue::clear() {
    std::lock_guard lock(m_mutex);
    m_events.clear();
    m_bytes = 0;
    m_full = false;
    m_signalled = false;
}

std::size_t EventQueue::bytes() const {
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

}  // namespace lanzhou::transport
