#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/diagnostics.h"
#include "client/transport/erpc_client.h"
#include "protocol/packed_payload.h"

namespace lanzhou::test {

using namespace std::chrono_literals;

// Generous bound of every wait in these tests; a passing test never waits
// that long.
inline constexpr std::chrono::milliseconds kPatience = 10s;

// Records what the client's handler sees, as the handler sees it: the kind
// and data given by eventKind/eventData inside the call.
class EventRecorder final {
public:
    struct Seen {
        int kind = -1;
        std::string bytes;  // the message bytes of a data event, as they came
        std::string data;   // the same unpacked ("" when they are no packed payload)
    };

    explicit EventRecorder(transport::ERPCClient& client) : m_client(client) {}
    // The client may outlive the recorder: stop its handler calls first.
    ~EventRecorder() { m_client.close(); }

    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;

    // Runs inside the handler, after the event has been recorded.
    void alsoDo(std::function<void(const transport::ConnectionEvent*)> action) {
        m_action = std::move(action);
    }

    transport::ERPCClient::EventHandler handler() {
        return [this](const transport::ConnectionEvent* event) { record(event); };
    }

    bool connect(int port) { return m_client.connect(port, "127.0.0.1", handler()); }

    bool waitForEvents(std::size_t count, std::chrono::milliseconds timeout = kPatience) const {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_seen.size() >= count; });
    }

    // Waits until the handler has returned for a closed event.
    bool waitForClosedHandled(std::chrono::milliseconds timeout = kPatience) const {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_closedHandled; });
    }

    std::vector<Seen> seen() const {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }

    std::size_t count() const {
        std::lock_guard lock(m_mutex);
        return m_seen.size();
    }

private:
    void record(const transport::ConnectionEvent* event) {
        Seen seen;
        seen.kind = m_client.eventKind(event);
        if (const auto data = m_client.eventData(event)) {
            seen.bytes = *data;
            seen.data = protocol::unpack(*data);
        }
        {
            std::lock_guard lock(m_mutex);
            m_seen.push_back(seen);
        }
        m_changed.notify_all();
        if (m_action) {
            m_action(event);
        }
        if (seen.kind == 0) {
            std::lock_guard lock(m_mutex);
            m_closedHandled = true;
        }
        m_changed.notify_all();
    }

    transport::ERPCClient& m_client;
    std::function<void(const transport::ConnectionEvent*)> m_action;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Seen> m_seen;
    bool m_closedHandled = false;
};

// The diagnostics reported while it lives, one line each ("area: message").
class DiagnosticLog final {
public:
    DiagnosticLog() {
        setDiagnosticSink([this](std::string_view area, std::string_view message) {
            std::lock_guard lock(m_mutex);
            m_text.append(area).append(": ").append(message).append("\n");
        });
    }
    ~DiagnosticLog() { setDiagnosticSink({}); }

    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;

    std::string text() const {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};

// Waits for a condition that other threads make true.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = kPatience) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

}  // namespace lanzhou::test
