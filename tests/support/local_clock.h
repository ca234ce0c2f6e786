#pragma once

// The wall clock in the local time zone, as the servers stamp and judge
// "today" with it.

#include <cstdint>
#include <ctime>
#include <string>

#include "protocol/date_time.h"

namespace lanzhou::test {

inline protocol::DateTime localNow() {
    const std::time_t now = std::time(nullptr);
    // The tests ask from one thread at a time.
    const std::tm local = *std::localtime(&now);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

// The local time `days` days from now, as the operator commands read it.
inline std::string localTimeInDays(std::int64_t days) {
    return protocol::formatDateTime(localNow().plusSeconds(days * 86'400));
}

}  // namespace lanzhou::test
