#include "platform/process_quit.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <thread>

#if defined(__linux__)
#include <poll.h>
#include <sys/syscall.h>
#endif

namespace lanzhou::platform {

namespace {

using Clock = std::chrono::steady_clock;

// A process id that names exactly one process: 0 and ids beyond pid_t would
// make kill() signal a whole group.
bool validProcessId(ProcessId id) {
    return id != 0 && id <= static_cast<ProcessId>(0x7FFFFFFF);
}

// True when process `id` no longer runs (gone, or a zombie waiting to be
// reaped).
bool processEnded(ProcessId id) {
    if (::kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH) {
        return true;
    }
#if defined(__linux__)
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%u/stat", static_cast<unsigned>(id));
    if (FILE* stat = std::fopen(path, "r")) {
        // "pid (name) S ...": the state follows the last ")".
        char buffer[512] = {};
        const std::size_t length = std::fread(buffer, 1, sizeof buffer - 1, stat);
        std::fclose(stat);
        const std::string_view text(buffer, length);
        const std::size_t close = text.rfind(')');
        if (close != std::string_view::npos && close + 2 < text.size()) {
            const char state = text[close + 2];
            return state == 'Z' || state == 'X';
        }
    }
#endif
    return false;
}

}  // namespace

bool askProcessToQuit(ProcessId id) {
    return validProcessId(id) && ::kill(static_cast<pid_t>(id), SIGTERM) == 0;
}

bool waitForProcessExit(ProcessId id, std::chrono::milliseconds limit) {
    if (limit.count() < 0) {
        limit = std::chrono::milliseconds(0);
    }
    if (!validProcessId(id)) {
        return true;
    }
    const auto deadline = Clock::now() + limit;
#if defined(__linux__) && defined(SYS_pidfd_open)
    // A process descriptor becomes readable when the process ends: no polling.
    const long descriptor = ::syscall(SYS_pidfd_open, static_cast<pid_t>(id), 0);
    if (descriptor >= 0) {
        pollfd entry{static_cast<int>(descriptor), POLLIN, 0};
        int result = 0;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            result = ::poll(&entry, 1, static_cast<int>(std::max<long long>(0, left.count())));
            if (result >= 0 || errno != EINTR) {
                break;
            }
        }
        ::close(static_cast<int>(descriptor));
        return result > 0;
    }
    if (errno == ESRCH) {
        return true;
    }
#endif
    // Without process descriptors: look again every few milliseconds.
    for (;;) {
        if (processEnded(id)) {
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(
            std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(10)));
    }
}

}  // namespace lanzhou::platform
