#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "client/core/quiet_hours.h"

namespace lanzhou::test {
namespace {

using core::parseClockMinute;
using core::parseQuietHours;

TEST(QuietHours, ClockTextsAreTwoDigitHoursAndMinutes) {
    struct Case {
        std::string text;
        std::optional<int> minute;
    };
    const std::vector<Case> cases = {
        {"00:00", 0},
        {"07:05", 425},
        {"23:59", 1439},
        {"24:00", std::nullopt},
        {"12:60", std::nullopt},
        {"7:00", std::nullopt},
        {"07:0", std::nullopt},
        {"07:000", std::nullopt},
        {"07-00", std::nullopt},
        {" 7:00", std::nullopt},
        {"ab:cd", std::nullopt},
        {"+1:00", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseClockMinute(c.text), c.minute);
    }
}

TEST(QuietHours, MissingMalformedOrEqualTimesMeanNoQuietHours) {
    for (const auto& [from, to] :
         std::vector<std::pair<std::string, std::string>>{{"", ""},
                                                          {"22:00", ""},
                                                          {"", "07:00"},
                                                          {"22:00", "7:00"},
                                                          {"25:00", "07:00"},
                                                          {"08:00", "08:00"}}) {
        SCOPED_TRACE(from + " " + to);
        EXPECT_EQ(parseQuietHours(from, to), std::nullopt);
    }
    const auto hours = parseQuietHours("22:00", "07:00");
    ASSERT_TRUE(hours);
    EXPECT_EQ(hours->from, 22 * 60);
    EXPECT_EQ(hours->to, 7 * 60);
}

TEST(QuietHours, FromIsInsideToIsOutsideAndMidnightMayBeCrossed) {
    struct Case {
        std::string from, to;
        protocol::DateTime time;
        bool inside;
    };
    const std::vector<Case> cases = {
        {"22:00", "07:00", {2024, 3, 10, 22, 0, 0}, true},
        {"22:00", "07:00", {2024, 3, 10, 23, 59, 59}, true},
        {"22:00", "07:00", {2024, 3, 11, 0, 0, 0}, true},
        {"22:00", "07:00", {2024, 3, 11, 6, 59, 59}, true},
        {"22:00", "07:00", {2024, 3, 11, 7, 0, 0}, false},
        {"22:00", "07:00", {2024, 3, 10, 12, 0, 0}, false},
        {"22:00", "07:00", {2024, 3, 10, 21, 59, 59}, false},
        {"12:00", "13:30", {2024, 3, 10, 12, 0, 0}, true},
        {"12:00", "13:30", {2024, 3, 10, 13, 29, 59}, true},
        {"12:00", "13:30", {2024, 3, 10, 13, 30, 0}, false},
        {"12:00", "13:30", {2024, 3, 10, 11, 59, 59}, false},
        {"12:00", "13:30", {2024, 3, 10, 0, 0, 0}, false},
        {"00:00", "23:59", {2024, 3, 10, 23, 58, 59}, true},
        {"00:00", "23:59", {2024, 3, 10, 23, 59, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from + "-" + c.to + " at " + protocol::formatDateTime(c.time));
        const auto hours = parseQuietHours(c.from, c.to);
        ASSERT_TRUE(hours);
        EXPECT_EQ(hours->contains(c.time), c.inside);
    }
}

}  // namespace
}  // namespace lanzhou::test
