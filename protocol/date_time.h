#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lanzhou::protocol {

// A calendar date-time with second precision (proleptic Gregorian calendar).
struct DateTime {
    int year = 100;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    // 100-01-01 00:00:00: what text that cannot be read turns into.
    static DateTime null() { return {}; }
    // 1899-12-30 00:00:00: the server time before the server has said it.
    static DateTime zero() { return {1899, 12, 30, 0, 0, 0}; }

    // Days since 1970-01-01 of the date part (negative before it).
    std::int64_t dayNumber() const;
    // Seconds since 1970-01-01 00:00:00.
    std::int64_t totalSeconds() const;
    static DateTime fromTotalSeconds(std::int64_t seconds);
    DateTime plusSeconds(std::int64_t seconds) const;

    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

// Reads "YYYY-MM-DD HH:MM:SS" as the client writes it, and the usual looser
// forms of the same order (one-digit fields, "/" between date parts, a date
// alone, a time without seconds). Anything else, or an impossible date, gives
// DateTime::null().
DateTime parseDateTime(std::string_view text);

// Year as a plain number, the other parts two digits: "2013-11-24 09:05:03".
std::string formatDateTime(const DateTime& value);

// Room for the text of a DateTime with any four-digit year; the text of an
// absurd one (parts beyond their ranges) is cut at 63 characters.
inline constexpr std::size_t kDateTimeTextCapacity = 64;
using DateTimeText = std::array<char, kDateTimeTextCapacity>;

// The same text written into `out`, without allocating; the result views `out`.
std::string_view formatDateTime(const DateTime& value, DateTimeText& out);

}  // namespace lanzhou::protocol
