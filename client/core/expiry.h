#pragma once

#include <cstdint>
#include <string_view>

#include "client/core/user_type.h"
#include "protocol/date_time.h"

namespace lanzhou::core {

// The login judgement: a paying account is current while its expiry is at
// most one second before the server time.
bool loginIsCurrent(UserType userType, std::string_view expiry,
                    const protocol::DateTime& serverTime);

// The main window's periodic check: the membership has run out once the
// server time has reached the expiry.
bool membershipExpired(std::string_view expiry, const protocol::DateTime& serverTime);

}  // namespace lanzhou::core
