#include "platform/process_list.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <system_error>

#include "platform/file_io.h"
#include "platform/gbk.h"
#include "platform/wide_text.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// clang-format off
#include <tlhelp32.h>
// clang-format on
#else
#include <unistd.h>
#endif

namespace lanzhou::platform {

namespace {

// More processes than any desktop runs; the list stays bounded whatever the
// system reports.
constexpr std::size_t kMaxProcesses = 1 << 16;

#if defined(__linux__) && !defined(_WIN32)

constexpr std::string_view kDeletedSuffix = " (deleted)";

// The executable's file name of process `id`: from the link to its program
// file, or (for processes of other users, whose link is closed) from the
// first word of its command line. Empty for kernel threads and zombies.
std::string linuxProcessName(const std::filesystem::path& processDirectory) {
    std::error_code error;
    const std::filesystem::path program =
        std::filesystem::read_symlink(processDirectory / "exe", error);
    std::string name;
    if (!error) {
        name = program.filename().string();
        // A replaced or removed program file: the kernel appends this mark.
        if (name.size() > kDeletedSuffix.size() && name.ends_with(kDeletedSuffix)) {
            name.resize(name.size() - kDeletedSuffix.size());
        }
        return name;
    }
    const auto commandLine = readFile(processDirectory / "cmdline", 4096);
    if (!commandLine || commandLine->empty()) {
        return {};
    }
    const std::string first = commandLine->substr(0, commandLine->find('\0'));
    return std::filesystem::path(first).filename().string();
}

#endif

}  // namespace

ProcessId currentProcessId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<ProcessId>(::getpid());
#endif
}

std::vector<ProcessEntry> runningProcesses() {
    std::vector<ProcessEntry> processes;
#ifdef _WIN32
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
#elif defined(__linux__)
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc", error), end; !error && it != end;
         it.increment(error)) {
        const std::string id = it->path().filename().string();
        if (id.empty() || id.size() > 10 ||
            !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        const unsigned long long number = std::stoull(id);
        if (number == 0 || number > 0xFFFFFFFFull) {
            continue;
        }
        std::string name = linuxProcessName(it->path());
        if (name.empty()) {
            continue;
        }
        processes.push_back({static_cast<ProcessId>(number), gbkFromUtf8(name)});
        if (processes.size() >= kMaxProcesses) {
            break;
        }
    }
    // The directory lists in no promised order; oldest ids first, as
    // Windows lists them.
    std::sort(processes.begin(), processes.end(),
              [](const ProcessEntry& a, const ProcessEntry& b) { return a.id < b.id; });
#endif
    return processes;
}

std::optional<ProcessId> findProcessByName(std::string_view gbkName) {
    if (gbkName.empty()) {
        return std::nullopt;
    }
    for (const ProcessEntry& entry : runningProcesses()) {
        if (entry.name == gbkName) {
            return entry.id;
        }
    }
    return std::nullopt;
}

}  // namespace lanzhou::platform
