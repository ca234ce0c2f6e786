#include "tests/e2e/server_process.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lanzhou::test {

namespace {

using Clock = std::chrono::steady_clock;

// Starts lanzhou-server with stdout and stderr on pipes; returns the pid.
int spawn(const std::vector<std::string>& arguments, int& out, int& err) {
    int output[2], errors[2];
    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(errors, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> words{LANZHOU_SERVER_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, 0);
        ::dup2(output[1], 1);
        ::dup2(errors[1], 2);
        ::close_range(3, ~0U, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(output[1]);
    ::close(errors[1]);
    if (pid < 0) {
        ::close(output[0]);
        ::close(errors[0]);
        throw std::runtime_error("fork failed");
    }
    out = output[0];
    err = errors[0];
    return pid;
}

// Everything left to read from `fd`, then closes it.
std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

int exitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

CommandResult runServerCommand(const std::vector<std::string>& arguments) {
    int out = -1;
    int err = -1;
    const int pid = spawn(arguments, out, err);
    CommandResult result;
    // Both pipes are small in practice; stderr after stdout is safe for
    // these commands' output sizes.
    result.out = readAll(out);
    result.err = readAll(err);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = exitStatus(status);
    return result;
}

ServerProcess::ServerProcess(const std::vector<std::string>& serveArguments) {
    std::vector<std::string> arguments{"serve"};
    arguments.insert(arguments.end(), serveArguments.begin(), serveArguments.end());
    int out = -1;
    m_pid = spawn(arguments, out, m_errors);
    // The first line says where the server listens (a TLS listener's is
    // written with it).
    std::string line;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd ready{out, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t n = ::read(out, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out);
    // The server writes its listening lines at once.
    const auto portOf = [&line](std::string_view key) {
        const auto at = line.find(key);
        if (at == std::string::npos) {
            return 0;
        }
        const auto start = at + key.size();
        const std::string endpoint = line.substr(start, line.find('"', start) - start);
        return std::atoi(endpoint.substr(endpoint.rfind(':') + 1).c_str());
    };
    m_port = portOf("\"listening\":\"");
    m_tlsPort = portOf("\"listening_tls\":\"");
}

ServerProcess::~ServerProcess() {
    if (!m_reaped && !terminate()) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    if (m_errors >= 0) {
        ::close(m_errors);
    }
}

std::optional<int> ServerProcess::terminate(std::chrono::milliseconds timeout) {
    if (m_reaped) {
        return std::nullopt;
    }
    ::kill(m_pid, SIGTERM);
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        int status = 0;
        const int done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_reaped = true;
            return exitStatus(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

void ServerProcess::kill() {
    if (m_reaped) {
        return;
    }
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_reaped = true;
}

std::string ServerProcess::errorOutput() const {
    std::string text;
    char buffer[4096];
    const int flags = ::fcntl(m_errors, F_GETFL);
    ::fcntl(m_errors, F_SETFL, flags | O_NONBLOCK);
    for (;;) {
        const ssize_t n = ::read(m_errors, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace lanzhou::test
