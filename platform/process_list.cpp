#include "platform/process_list.h"

namespace lanzhou::platform {

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
