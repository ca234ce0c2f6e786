#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_list.h"

namespace lanzhou::platform {

// A child program whose standard input, output and error are pipes of this
// process. Nothing else of this process (sockets, files) is handed down.
// Input, output and error may each be used from their own thread.
class ChildProcess final {
public:
    // nullptr when `program` could not be started.
    static std::unique_ptr<ChildProcess> start(const std::filesystem::path& program,
                                               const std::vector<std::string>& arguments);

    // Kills the child if it still runs and waits for it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    ProcessId id() const;

    // Writes all of `bytes`; false once the child no longer reads.
    bool writeInput(std::string_view bytes);
    void closeInput();

    // Blocking reads of up to `size` bytes; 0 once the child closed the pipe.
    std::size_t readOutput(char* buffer, std::size_t size);
    std::size_t readErrors(char* buffer, std::size_t size);

    // The exit status once the child has ended (128 + the signal number for a
    // POSIX child ended by a signal; the exception code for a crashed Windows
    // child), nullopt while it still runs after `limit`.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);

    void kill();

    struct Handles;

private:
    explicit ChildProcess(std::unique_ptr<Handles> handles);

    std::unique_ptr<Handles> m_handles;
};

}  // namespace lanzhou::platform
