#include "platform/process_quit.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// clang-format off
#include <tlhelp32.h>
// clang-format on
#else
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#if defined(__linux__)
#include <poll.h>
#include <sys/syscall.h>
#endif
#endif

namespace lanzhou::platform {

namespace {

using Clock = std::chrono::steady_clock;

#ifdef _WIN32

struct WindowSearch {
    DWORD processId = 0;
    HWND found = nullptr;
};

BOOL CALLBACK findTopLevelWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && GetAncestor(window, GA_ROOT) == window) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

#else

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

#endif

}  // namespace

bool askProcessToQuit(ProcessId id) {
#ifdef _WIN32
    if (id == 0) {
        return false;
    }
    WindowSearch search;
    search.processId = id;
    EnumWindows(findTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr && PostMessageW(search.found, WM_QUIT, 0, 0) != FALSE) {
        return true;
    }
    // No top-level window to be found (none yet, or one on another desktop):
    // the quit message goes to the threads of the process that have a
    // message queue.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool posted = false;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more != FALSE;
         more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == id &&
            PostThreadMessageW(entry.th32ThreadID, WM_QUIT, 0, 0) != FALSE) {
            posted = true;
        }
    }
    CloseHandle(snapshot);
    return posted;
#else
    return validProcessId(id) && ::kill(static_cast<pid_t>(id), SIGTERM) == 0;
#endif
}

bool waitForProcessExit(ProcessId id, std::chrono::milliseconds limit) {
    if (limit.count() < 0) {
        limit = std::chrono::milliseconds(0);
    }
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    }
    const DWORD wait = limit.count() >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(limit.count());
    const bool ended = WaitForSingleObject(process, wait) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
#else
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
#endif
}

}  // namespace lanzhou::platform
