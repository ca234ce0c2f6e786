#pragma once

#include <compare>
#include <cstdint>

namespace lanzhou::core {

// The member's user type as the login answer gives it: 0 a free user, 1 a
// paying member. The server may send any other integer; the rules compare the
// value as it came (an alert's audience must name it exactly, only 1 reads
// closed notices, anything above 0 gets the expiry check).
struct UserType {
    std::int32_t value = 0;

    friend constexpr auto operator<=>(UserType, UserType) = default;
};

inline constexpr UserType kFreeUser{0};
inline constexpr UserType kPayingUser{1};

}  // namespace lanzhou::core
