#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/process_list.h"

namespace lanzhou::platform {

// Starts `program` with `arguments` (UTF-8) in `workingDirectory` (empty: this
// process's) and does not wait for it to end: it lives on when this process
// ends. On Windows it is shown in the normal window state and given up to
// 1000 ms to become ready for input. Nothing of this process is handed
// down: no console, no standard input or output (they lead nowhere), no
// sockets or files. The new process's id, or nullopt when it could not be
// started.
std::optional<ProcessId> startDetached(const std::filesystem::path& program,
                                       const std::vector<std::string>& arguments,
                                       const std::filesystem::path& workingDirectory = {});

}  // namespace lanzhou::platform
