#include "client/transport/event_queue.h"

#include <utility>

namespace lanzhou::transport {

EventQueue::EventQueue(Marks marks) : m_marks(marks) {}

bool EventQueue::push(ConnectionEvent event) {
    bool carryOn = true;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) {
            return true;
        }
        m_bytes += event.data.size();
        m_events.push_back(std::move(event));
        if (m_bytes >= m_marks.highBytes || m_events.size() >= m_marks.highEvents) {
            m_full = true;
        }
        carryOn = !m_full;
    }
    m_ready.notify_one();
    return carryOn;
}

EventQueue::Popped EventQueue::waitPop() {
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [this] { return m_stopped || !m_events.empty(); });
    Popped popped;
    if (m_stopped) {
        return popped;
    }
    popped.event = std::move(m_events.front());
    m_events.pop_front();
    m_bytes -= popped.event->data.size();
    if (m_full && m_bytes <= m_marks.highBytes / 2 && m_events.size() <= m_marks.highEvents / 2) {
        m_full = false;
        popped.resumeProducer = true;
    }
    return popped;
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
}

}  // namespace lanzhou::transport
