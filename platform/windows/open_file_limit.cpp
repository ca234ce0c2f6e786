#include "platform/open_file_limit.h"

namespace lanzhou::platform {

std::uint64_t raiseOpenFileLimit() {
    return 0;  // sockets are not bounded by a per-process descriptor limit there
}

}  // namespace lanzhou::platform
