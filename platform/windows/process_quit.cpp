#include "platform/process_quit.h"

#include "platform/windows/prelude.h"
// clang-format off
#include <tlhelp32.h>
// clang-format on

namespace lanzhou::platform {

namespace {

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

}  // namespace

bool askProcessToQuit(ProcessId id) {
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
}

bool waitForProcessExit(ProcessId id, std::chrono::milliseconds limit) {
    if (limit.count() < 0) {
        limit = std::chrono::milliseconds(0);
    }
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr) {
        return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    }
    const DWORD wait = limit.count() >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(limit.count());
    const bool ended = WaitForSingleObject(process, wait) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

}  // namespace lanzhou::platform
