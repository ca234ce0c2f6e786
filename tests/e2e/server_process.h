#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace lanzhou::test {

// What a finished lanzhou-server command printed and returned.
struct CommandResult {
    int status = -1;  // exit status; -1 when it died by a signal
    std::string out;
    std::string err;
};

// Runs `lanzhou-server ARGS...` to its end (an operator command).
CommandResult runServerCommand(const std::vector<std::string>& arguments);

// `lanzhou-server serve ...` as a child process. The constructor waits for
// its {"listening":...} line; the destructor stops it like an operator
// would (SIGTERM) and, failing that, kills it.
class ServerProcess final {
public:
    explicit ServerProcess(const std::vector<std::string>& serveArguments);
    ~ServerProcess();

    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // 0 when the server did not start listening (in plain TCP, or in TLS).
    int port() const { return m_port; }
    int tlsPort() const { return m_tlsPort; }
    // Sends SIGTERM and returns the exit status (nullopt: no exit in time).
    std::optional<int> terminate(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Ends the server with SIGKILL, as a crash would, and reaps it.
    void kill();
    std::string errorOutput() const;

private:
    int m_pid = -1;
    int m_port = 0;
    int m_tlsPort = 0;
    int m_errors = -1;
    bool m_reaped = false;
};

}  // namespace lanzhou::test
