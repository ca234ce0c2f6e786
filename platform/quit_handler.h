#pragma once

#include <functional>

namespace lanzhou::platform {

// Lets a windowed program take askProcessToQuit as "end now, no questions".
// Elsewhere than Windows the request is SIGTERM: from this call on it no
// longer kills the process but calls `handler` once per request, on a
// thread of its own (the handler hands it to its own thread). On Windows the
// request is the quit message, which reaches the program's event loop by
// itself (Qt turns it into an application quit event), so nothing is
// installed there. True when a handler was installed (false on Windows, on
// a second call, or when the system refused).
bool installQuitHandler(std::function<void()> handler);

}  // namespace lanzhou::platform
