#include "platform/open_file_limit.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace lanzhou::platform {

std::uint64_t raiseOpenFileLimit() {
#ifdef _WIN32
    return 0;  // sockets are not bounded by a per-process descriptor limit there
#else
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return 0;
    }
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) {
            limit = raised;
        }
    }
    return static_cast<std::uint64_t>(limit.rlim_cur);
#endif
}

}  // namespace lanzhou::platform
