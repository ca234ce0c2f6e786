#include "protocol/date_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace lanzhou::protocol {
namespace {

TEST(DateTime, ParsesTheClientsFormAndItsLooserVariants) {
    struct Case {
        std::string text;
        DateTime expected;
    };
    const Case cases[] = {
        {"2013-11-24 09:05:03", {2013, 11, 24, 9, 5, 3}},
        {"2013-1-2 3:4:5", {2013, 1, 2, 3, 4, 5}},
        {"2013/11/24 09:05:03", {2013, 11, 24, 9, 5, 3}},
        {"2013-11-24", {2013, 11, 24, 0, 0, 0}},
        {"2013-11-24 09:05", {2013, 11, 24, 9, 5, 0}},
        {"  2013-11-24 09:05:03\t ", {2013, 11, 24, 9, 5, 3}},
        {"2013-11-24   23:59:59", {2013, 11, 24, 23, 59, 59}},
        {"2012-02-29 00:00:00", {2012, 2, 29, 0, 0, 0}},
        {"2000-02-29", {2000, 2, 29, 0, 0, 0}},
        {"1-01-01", {1, 1, 1, 0, 0, 0}},
        {"9999-12-31 23:59:59", {9999, 12, 31, 23, 59, 59}},
        {"1899-12-30 00:00:00", DateTime::zero()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseDateTime(c.text), c.expected) << c.text;
    }
}

TEST(DateTime, UnreadableTextGivesTheNullDate) {
    const char* cases[] = {
        "",
        "   ",
        "abc",
        "2013-11-24 09:05:03x",
        "2013-11-24x",
        "2013-11-24T09:05:03",
        "2013-11/24",
        "2013-11-24 09",
        "2013-11-24 09:",
        "2013-11-24 09:05:",
        "2013-11-24 09:05:03:01",
        "2013-11-24 009:05:03",
        "-2013-11-24",
        "2013-02-29",
        "1900-02-29",
        "2013-13-01",
        "2013-00-10",
        "2013-11-31",
        "2013-11-00",
        "2013-11-24 24:00:00",
        "2013-11-24 23:60:00",
        "2013-11-24 23:59:60",
        "0-01-01",
        "10000-01-01",
        "2013-11-24 -1:05:03",
    };
    for (const char* text : cases) {
        EXPECT_EQ(parseDateTime(text), DateTime::null()) << '"' << text << '"';
    }
}

TEST(DateTime, FormatsWithAnUnpaddedYear) {
    EXPECT_EQ(formatDateTime({2013, 11, 24, 9, 5, 3}), "2013-11-24 09:05:03");
    EXPECT_EQ(formatDateTime(DateTime::null()), "100-01-01 00:00:00");
    EXPECT_EQ(formatDateTime(DateTime::zero()), "1899-12-30 00:00:00");
    EXPECT_EQ(parseDateTime(formatDateTime({987, 6, 5, 4, 3, 2})), (DateTime{987, 6, 5, 4, 3, 2}));
}

TEST(DateTime, TheServicesExactFormIsReadLikeAnyOther) {
    // Nineteen characters with the separators where the usual form has them:
    // read at once when all else are digits, by the general reader otherwise.
    struct Case {
        const char* text;
        DateTime expected;
    };
    const Case cases[] = {
        {"2024-03-15 09:10:59", {2024, 3, 15, 9, 10, 59}},
        {"0001-01-01 00:00:00", {1, 1, 1, 0, 0, 0}},
        {"0000-01-01 00:00:00", DateTime::null()},
        {"2023-02-29 00:00:00", DateTime::null()},
        {"2024-02-29 23:59:59", {2024, 2, 29, 23, 59, 59}},
        {"2024-03-15 24:00:00", DateTime::null()},
        {"2024-03-15 09:60:00", DateTime::null()},
        {"2024-13-15 09:10:59", DateTime::null()},
        {"2024-03-1x 09:10:59", DateTime::null()},
        {"2024-03-15 09:10:5/", DateTime::null()},
        {"  24-03-10 10:00:00", {24, 3, 10, 10, 0, 0}},    // blanks first: the general reader
        {"2024-03-15 09:10:5 ", {2024, 3, 15, 9, 10, 5}},  // a one-digit second, a blank
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseDateTime(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(DateTime, FormatsAnyFieldsAsPrintfWould) {
    const DateTime cases[] = {
        {2013, 11, 24, 9, 5, 3},  {1, 1, 1, 0, 0, 0},         {9, 9, 9, 9, 9, 9},
        {99, 10, 10, 10, 10, 10}, {9999, 99, 99, 99, 99, 99}, {0, 0, 0, 0, 0, 0},
        {10000, 1, 1, 0, 0, 0},   {-5, 1, 1, 0, 0, 0},        {2013, 100, -1, 7, 123, 0},
    };
    for (const DateTime& value : cases) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%d-%02d-%02d %02d:%02d:%02d", value.year,
                      value.month, value.day, value.hour, value.minute, value.second);
        EXPECT_EQ(formatDateTime(value), expected);
    }
}

TEST(DateTime, DayNumbersCountFrom1970) {
    struct Case {
        DateTime date;
        std::int64_t days;
    };
    const Case cases[] = {
        {{1970, 1, 1}, 0},          {{1969, 12, 31}, -1},        {{2000, 3, 1}, 11017},
        {DateTime::zero(), -25569}, {DateTime::null(), -683003}, {{9999, 12, 31}, 2932896},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.date.dayNumber(), c.days) << formatDateTime(c.date);
        EXPECT_EQ(c.date.totalSeconds(), c.days * 86400) << formatDateTime(c.date);
        EXPECT_EQ(DateTime::fromTotalSeconds(c.days * 86400), c.date) << formatDateTime(c.date);
    }
    EXPECT_EQ((DateTime{1970, 1, 2, 1, 2, 3}).totalSeconds(), 86400 + 3723);
}

TEST(DateTime, PlusSecondsCrossesDaysMonthsAndLeapDays) {
    struct Case {
        DateTime start;
        std::int64_t seconds;
        DateTime expected;
    };
    const Case cases[] = {
        {{2013, 12, 31, 23, 59, 59}, 1, {2014, 1, 1, 0, 0, 0}},
        {{2012, 2, 28, 12, 0, 0}, 86400, {2012, 2, 29, 12, 0, 0}},
        {{2013, 2, 28, 12, 0, 0}, 86400, {2013, 3, 1, 12, 0, 0}},
        {{1970, 1, 1, 0, 0, 0}, -1, {1969, 12, 31, 23, 59, 59}},
        {DateTime::zero(), 3661, {1899, 12, 30, 1, 1, 1}},
        {{2013, 11, 24, 9, 5, 3}, 0, {2013, 11, 24, 9, 5, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.start.plusSeconds(c.seconds), c.expected) << formatDateTime(c.start);
    }
}

}  // namespace
}  // namespace lanzhou::protocol
