#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanzhou::platform {

// A process id of this system (a DWORD on Windows, a pid_t elsewhere).
using ProcessId = std::uint32_t;

ProcessId currentProcessId();

struct ProcessEntry {
    ProcessId id = 0;
    std::string name;  // executable file name without directory, GBK text
};

// The running processes this user may see, with their executable file names.
// On Linux a program whose file was replaced while it runs keeps its name.
// Empty where the system offers no process list.
std::vector<ProcessEntry> runningProcesses();

// The first running process whose executable file name equals `gbkName`
// exactly (GBK text, as the update command line carries it).
std::optional<ProcessId> findProcessByName(std::string_view gbkName);

}  // namespace lanzhou::platform
