#include "client/core/expiry.h"

#include <gtest/gtest.h>

namespace lanzhou::core {
namespace {

const protocol::DateTime kServer{2024, 3, 1, 0, 0, 0};

TEST(Expiry, LoginIsCurrentDownToOneSecondBefore) {
    struct Case {
        std::int32_t userType;
        const char* expiry;
        bool current;
    };
    const Case cases[] = {
        {1, "2024-03-01 00:00:00", true},  {1, "2024-03-01 00:00:01", true},
        {1, "2024-02-29 23:59:59", true},                        // one second before
        {1, "2024-02-29 23:59:58", false},                       // two seconds before
        {1, "2025-01-01 00:00:00", true},  {1, "never", false},  // unreadable: the null date
        {0, "2030-01-01 00:00:00", false},                       // free users are never current
        {2, "2030-01-01 00:00:00", true},  {-1, "2030-01-01 00:00:00", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(loginIsCurrent(UserType{c.userType}, c.expiry, kServer), c.current)
            << c.userType << " " << c.expiry;
    }
}

TEST(Expiry, MembershipRunsOutWhenServerTimeReachesIt) {
    struct Case {
        const char* expiry;
        bool expired;
    };
    const Case cases[] = {
        {"2024-03-01 00:00:01", false},
        {"2024-03-01 00:00:00", true},
        {"2024-02-29 23:59:59", true},
        {"2024-03-02", false},
        {"", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(membershipExpired(c.expiry, kServer), c.expired) << c.expiry;
    }
}

}  // namespace
}  // namespace lanzhou::core
