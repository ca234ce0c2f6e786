#pragma once

#include <chrono>

#include "platform/process_list.h"

namespace lanzhou::platform {

// Asks process `id` to end by itself: on Windows the quit message is posted
// to its first top-level window (the process then leaves its message loop),
// or to its threads with a message queue when no such window is found;
// elsewhere it gets SIGTERM. False when it could not be asked (no such
// process, no window, no permission, or the id 0).
bool askProcessToQuit(ProcessId id);

// Waits up to `limit` for process `id` (any process, not only a child) to
// end. True once it has ended or when there is no such process.
bool waitForProcessExit(ProcessId id, std::chrono::milliseconds limit);

}  // namespace lanzhou::platform
