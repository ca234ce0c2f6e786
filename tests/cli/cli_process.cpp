#include "tests/cli/cli_process.h"

#include <filesystem>
#include <stdexcept>

#include "platform/paths.h"

namespace lanzhou::test {

CliProcess::CliProcess(const std::vector<std::string>& arguments) {
#ifdef LANZHOU_CLI_RELATIVE_PATH
    // Found from this test program's folder, so that the path holds on
    // Windows (under Wine) as well as here.
    const auto program = platform::executableDirectory() / LANZHOU_CLI_RELATIVE_PATH;
#else
    const std::filesystem::path program = LANZHOU_CLI_PATH;
#endif
    m_child = platform::ChildProcess::start(program.lexically_normal(), arguments);
    if (!m_child) {
        throw std::runtime_error("cannot start " + program.string());
    }
    m_outputReader = std::thread([this] { readOutput(); });
    m_errorReader = std::thread([this] { readErrors(); });
}

CliProcess::~CliProcess() {
    closeInput();
    if (!waitForExit(Duration(2'000))) {
        m_child->kill();
        waitForExit();
    }
    if (m_outputReader.joinable()) {
        m_outputReader.join();
    }
    if (m_errorReader.joinable()) {
        m_errorReader.join();
    }
}

void CliProcess::send(std::string_view line) {
    std::string bytes(line);
    bytes += '\n';
    // A child that is gone: the test's expectations will say so.
    m_child->writeInput(bytes);
}

void CliProcess::closeInput() {
    m_child->closeInput();
}

void CliProcess::readOutput() {
    std::string pending;
    char buffer[4096];
    for (std::size_t count; (count = m_child->readOutput(buffer, sizeof buffer)) > 0;) {
        pending.append(buffer, count);
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();  // a text-mode standard output (Windows)
            }
            auto parsed = nlohmann::json::parse(line, nullptr, false);
            std::lock_guard lock(m_mutex);
            if (parsed.is_object() && parsed.contains("event")) {
                m_events.push_back(std::move(parsed));
            } else {
                m_stray.push_back(line);
            }
            m_changed.notify_all();
        }
    }
    std::lock_guard lock(m_mutex);
    if (!pending.empty()) {
        m_stray.push_back(pending);  // a last line without "\n"
    }
    m_outputClosed = true;
    m_changed.notify_all();
}

void CliProcess::readErrors() {
    char buffer[4096];
    for (std::size_t count; (count = m_child->readErrors(buffer, sizeof buffer)) > 0;) {
        std::lock_guard lock(m_mutex);
        m_errors.append(buffer, count);
    }
    std::lock_guard lock(m_mutex);
    m_errorsClosed = true;
    m_changed.notify_all();
}

std::optional<nlohmann::json> CliProcess::waitForEvent(std::string_view name, std::size_t nth,
                                                       Duration timeout) {
    std::unique_lock lock(m_mutex);
    std::optional<nlohmann::json> found;
    m_changed.wait_for(lock, timeout, [&] {
        std::size_t seen = 0;
        for (const auto& event : m_events) {
            if (event["event"] == name && ++seen == nth) {
                found = event;
                return true;
            }
        }
        return m_outputClosed;
    });
    return found;
}

std::vector<nlohmann::json> CliProcess::events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<nlohmann::json> CliProcess::eventsNamed(std::string_view name) const {
    std::vector<nlohmann::json> named;
    for (auto& event : events()) {
        if (event["event"] == name) {
            named.push_back(std::move(event));
        }
    }
    return named;
}

std::vector<std::string> CliProcess::strayLines() const {
    std::lock_guard lock(m_mutex);
    return m_stray;
}

std::string CliProcess::errorOutput() const {
    std::lock_guard lock(m_mutex);
    return m_errors;
}

std::optional<int> CliProcess::waitForExit(Duration timeout) {
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, timeout,
                                [this] { return m_outputClosed && m_errorsClosed; })) {
            return std::nullopt;
        }
    }
    // Both outputs are closed: the child is ending (lanzhou-cli never hands
    // them to another process).
    return m_child->waitForExit(timeout);
}

}  // namespace lanzhou::test
