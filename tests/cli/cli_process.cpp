#include "tests/cli/cli_process.h"

#include <csignal>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lanzhou::test {

namespace {

void closeQuietly(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& arguments) {
    // A child that has already exited must not kill the test with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);

    int input[2], output[2], errors[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(errors, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> words{LANZHOU_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(input[0], 0);
        ::dup2(output[1], 1);
        ::dup2(errors[1], 2);
        // Sockets of the test (the fake server's) must not live on in the
        // child, or closing them in the test would not end the connection.
        ::close_range(3, ~0U, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(input[0]);
    ::close(output[1]);
    ::close(errors[1]);
    if (m_pid < 0) {
        ::close(input[1]);
        ::close(output[0]);
        ::close(errors[0]);
        throw std::runtime_error("fork failed");
    }
    m_input = input[1];
    m_outputReader = std::thread([this, fd = output[0]] { readOutput(fd); });
    m_errorReader = std::thread([this, fd = errors[0]] { readErrors(fd); });
}

CliProcess::~CliProcess() {
    closeInput();
    if (!waitForExit(Duration(2'000)) && !m_reaped) {
        ::kill(m_pid, SIGKILL);
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
    std::size_t written = 0;
    while (m_input >= 0 && written < bytes.size()) {
        const ssize_t result = ::write(m_input, bytes.data() + written, bytes.size() - written);
        if (result <= 0) {
            return;  // the child is gone; the test's expectations will say so
        }
        written += static_cast<std::size_t>(result);
    }
}

void CliProcess::closeInput() {
    closeQuietly(m_input);
}

void CliProcess::readOutput(int fd) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
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
    ::close(fd);
    std::lock_guard lock(m_mutex);
    if (!pending.empty()) {
        m_stray.push_back(pending);  // a last line without "\n"
    }
    m_outputClosed = true;
    m_changed.notify_all();
}

void CliProcess::readErrors(int fd) {
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        std::lock_guard lock(m_mutex);
        m_errors.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
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
    // Both outputs are closed: the child is ending (or has handed them to
    // nobody, which lanzhou-cli never does); reap it.
    if (!m_reaped) {
        int status = 0;
        if (::waitpid(m_pid, &status, 0) == m_pid) {
            m_reaped = true;
            if (WIFEXITED(status)) {
                m_exitStatus = WEXITSTATUS(status);
            }
        }
    }
    return m_exitStatus;
}

}  // namespace lanzhou::test
