#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/child_process.h"

namespace lanzhou::test {

// The real lanzhou-cli as a child process with pipes (platform::ChildProcess).
// Standard output is read on a thread and kept as parsed JSON lines; standard
// error is kept as text. The destructor kills a child that is still running.
class CliProcess final {
public:
    using Duration = std::chrono::milliseconds;
    static constexpr Duration kTimeout{10'000};

    explicit CliProcess(const std::vector<std::string>& arguments);
    ~CliProcess();

    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // Writes one line (a "\n" is added) to the child's standard input.
    void send(std::string_view line);
    void sendJson(const nlohmann::json& command) { send(command.dump()); }
    void closeInput();

    // The `nth` (1-based) event named `name`, waiting for it up to `timeout`.
    std::optional<nlohmann::json> waitForEvent(std::string_view name, std::size_t nth = 1,
                                               Duration timeout = kTimeout);
    std::vector<nlohmann::json> events() const;
    std::vector<nlohmann::json> eventsNamed(std::string_view name) const;
    // Standard output lines that were not JSON objects (should stay empty).
    std::vector<std::string> strayLines() const;
    std::string errorOutput() const;

    // The exit status once the child has ended (stdout closed and reaped; a
    // child ended by a signal gives 128 + its number), nullopt when it is
    // still running after `timeout`.
    std::optional<int> waitForExit(Duration timeout = kTimeout);

private:
    void readOutput();
    void readErrors();

    std::unique_ptr<platform::ChildProcess> m_child;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<nlohmann::json> m_events;
    std::vector<std::string> m_stray;
    std::string m_errors;
    bool m_outputClosed = false;
    bool m_errorsClosed = false;
    std::thread m_outputReader;
    std::thread m_errorReader;
};

}  // namespace lanzhou::test
