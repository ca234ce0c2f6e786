#include "client/core/expiry.h"

namespace lanzhou::core {
namespace {

// Expiry minus server time in whole seconds. Unreadable text is the null
// date, far in the past.
std::int64_t secondsLeft(std::string_view expiry, const protocol::DateTime& serverTime) {
    return protocol::parseDateTime(expiry).totalSeconds() - serverTime.totalSeconds();
}

}  // namespace

bool loginIsCurrent(UserType userType, std::string_view expiry,
                    const protocol::DateTime& serverTime) {
    // The difference in seconds, nudged up by a fraction of a second and
    // truncated toward zero: down to one whole second before the server time
    // it is still 0, which counts as current.
    return userType != kFreeUser && secondsLeft(expiry, serverTime) >= -1;
}

bool membershipExpired(std::string_view expiry, const protocol::DateTime& serverTime) {
    return secondsLeft(expiry, serverTime) <= 0;
}

}  // namespace lanzhou::core
