#include "updater/core/client_shutdown.h"

#include <optional>

#include "platform/process_list.h"
#include "platform/process_quit.h"

namespace lanzhou::updater {

namespace {

// The first process with that file name other than this one: an updater
// given its own name must not wait for itself.
std::optional<platform::ProcessId> findClient(const std::string& clientFileName) {
    if (clientFileName.empty()) {
        return std::nullopt;
    }
    const platform::ProcessId self = platform::currentProcessId();
    for (const platform::ProcessEntry& entry : platform::runningProcesses()) {
        if (entry.id != self && entry.name == clientFileName) {
            return entry.id;
        }
    }
    return std::nullopt;
}

}  // namespace

ClientShutdown shutDownClient(const std::string& clientFileName, std::chrono::milliseconds limit) {
    const auto client = findClient(clientFileName);
    if (!client) {
        return ClientShutdown::NotRunning;
    }
    platform::askProcessToQuit(*client);
    return platform::waitForProcessExit(*client, limit) ? ClientShutdown::Ended
                                                        : ClientShutdown::StillRunning;
}

}  // namespace lanzhou::updater
