#pragma once

#include <chrono>
#include <string>

namespace lanzhou::updater {

// How asking the running client to quit went.
enum class ClientShutdown {
    NotRunning,   // no process with the client's file name
    Ended,        // asked, and it ended within the wait
    StillRunning  // asked (or could not be asked), and it is still there
};

// Finds the first running process whose executable file name equals
// `clientFileName` (GBK) exactly, asks it to quit (the platform's polite
// way) and waits up to `limit` for it to end. Blocks the calling thread.
ClientShutdown shutDownClient(const std::string& clientFileName,
                              std::chrono::milliseconds limit = std::chrono::seconds(30));

}  // namespace lanzhou::updater
