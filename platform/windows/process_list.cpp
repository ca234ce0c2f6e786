#include "platform/process_list.h"

#include "platform/windows/prelude.h"
// clang-format off
#include <tlhelp32.h>
// clang-format on

#include <cstddef>

#include "platform/gbk.h"
#include "platform/wide_text.h"

namespace lanzhou::platform {

namespace {

// More processes than any desktop runs; the list stays bounded whatever the
// system reports.
constexpr std::size_t kMaxProcesses = 1 << 16;

}  // namespace

ProcessId currentProcessId() {
    return GetCurrentProcessId();
}

std::vector<ProcessEntry> runningProcesses() {
    std::vector<ProcessEntry> processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return processes;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry);
         more != FALSE && processes.size() < kMaxProcesses;
         more = Process32NextW(snapshot, &entry)) {
        entry.szExeFile[MAX_PATH - 1] = L'\0';
        processes.push_back({entry.th32ProcessID, gbkFromUtf8(utf8FromWide(entry.szExeFile))});
    }
    CloseHandle(snapshot);
    return processes;
}

}  // namespace lanzhou::platform
