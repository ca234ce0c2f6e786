#include "protocol/lenient_int.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "tests/support/gbk_literal.h"

namespace lanzhou::protocol {
namespace {

using test::G;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(LenientInt, ReadsLeadingDigits) {
    struct Case {
        std::string text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"  -5", -5},
        {"\t+7", 7},
        {"-", 0},
        {"+", 0},
        {" 1 2", 1},
        {"0x10", 0},
        {"000123", 123},
        {"1e5", 1},
        {"- 5", 0},
        {"\n5", 0},  // only spaces and tabs are skipped
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"99999999999999999999999999", kMax},
        {"-99999999999999999999999999", kMin},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lenientInt(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(LenientInt, VersionNumberNarrowsFullWidthForms) {
    struct Case {
        std::string text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"27\r\n", 27},
        {G("２７"), 27},
        {G("1２"), 12},
        {G("－５"), -5},
        {G("＋５"), 5},
        {G("　１２"), 12},  // A1A1 blank
        {"\xA3\xA0"
         "12",
         12},  // A3A0 blank
        {G("２７版"), 27},
        {G("版２７"), 0},
        {"ver27", 0},
        {"\xA3", 0},  // lone lead byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(versionNumber(c.text), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace lanzhou::protocol
