#include "platform/process_list.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <system_error>

#include "platform/file_io.h"
#include "platform/gbk.h"

namespace lanzhou::platform {

#if defined(__linux__)

namespace {

// More processes than any desktop runs; the list stays bounded whatever the
// system reports.
constexpr std::size_t kMaxProcesses = 1 << 16;

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

}  // namespace

#endif

ProcessId currentProcessId() {
    return static_cast<ProcessId>(::getpid());
}

std::vector<ProcessEntry> runningProcesses() {
    std::vector<ProcessEntry> processes;
#if defined(__linux__)
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

}  // namespace lanzhou::platform
