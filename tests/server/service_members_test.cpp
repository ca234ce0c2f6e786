#include "server/service/service_members.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace lanzhou::server {
namespace {

using Id = ServiceMembers::Id;

std::vector<Id> sorted(std::span<const Id> ids) {
    std::vector<Id> list(ids.begin(), ids.end());
    std::sort(list.begin(), list.end());
    return list;
}

// The lists drop entries by moving others around; a long random run checked
// against a plain model catches a stale index anywhere.
TEST(ServiceMembers, StaysConsistentThroughRandomChurn) {
    ServiceMembers members;
    std::set<Id> open;
    std::map<Id, std::pair<std::string, int>> loggedIn;  // connection -> account, type

    std::mt19937 random(12345);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 20000; ++step) {
        const Id id = static_cast<Id>(pick(60));
        const std::string account = "m" + std::to_string(pick(40));
        switch (pick(5)) {
            case 0:
                members.add(id);
                open.insert(id);
                break;
            case 1:
                members.remove(id);
                open.erase(id);
                loggedIn.erase(id);
                break;
            case 2: {
                const int type = pick(3) - 1;  // -1, 0 or 1: all but 1 count as free
                const auto older = members.login(id, account, type);
                open.insert(id);
                loggedIn.erase(id);
                std::optional<Id> expectedOlder;
                for (auto it = loggedIn.begin(); it != loggedIn.end(); ++it) {
                    if (it->second.first == account) {
                        expectedOlder = it->first;
                        loggedIn.erase(it);
                        break;
                    }
                }
                ASSERT_EQ(older, expectedOlder) << "step " << step;
                loggedIn[id] = {account, type == 1 ? 1 : 0};
                break;
            }
            case 3:
                members.logout(id);
                loggedIn.erase(id);
                break;
            default:
                break;
        }

        ASSERT_EQ(sorted(members.connections()), std::vector<Id>(open.begin(), open.end()))
            << "step " << step;
        std::vector<Id> byType[2];
        for (const auto& [connection, login] : loggedIn) {
            byType[login.second].push_back(connection);
            ASSERT_EQ(members.connectionOf(login.first), connection);
            ASSERT_EQ(members.userTypeOf(connection), login.second);
        }
        ASSERT_EQ(sorted(members.members(0)), byType[0]) << "step " << step;
        ASSERT_EQ(sorted(members.members(1)), byType[1]) << "step " << step;
        ASSERT_EQ(members.memberCount(), loggedIn.size());
        ASSERT_EQ(members.connectionCount(), open.size());
    }
    EXPECT_TRUE(members.members(2).empty());
    EXPECT_TRUE(members.members(-1).empty());
}

}  // namespace
}  // namespace lanzhou::server
