#pragma once

#include <cstdint>

namespace lanzhou::platform {

// Raises this process's limit of open files (sockets included) to the most
// it may have, for a server with thousands of connections. Returns the limit
// now in force, or 0 where the system has no such limit to raise.
std::uint64_t raiseOpenFileLimit();

}  // namespace lanzhou::platform
