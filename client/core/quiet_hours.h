#pragma once

#include <optional>
#include <string_view>

#include "protocol/date_time.h"

namespace lanzhou::core {

// Quiet hours as minutes of the day: from `from` (inclusive) to `to`
// (exclusive); an interval with `to` before `from` runs over midnight.
struct QuietHours {
    int from = 0;
    int to = 0;

    // Whether `time` (its hour and minute) falls inside.
    [[nodiscard]] bool contains(const protocol::DateTime& time) const;
};

// Minutes since midnight of an "HH:MM" text (hours 00-23, minutes 00-59, two
// digits each); nullopt for anything else.
[[nodiscard]] std::optional<int> parseClockMinute(std::string_view text);

// The quiet_from and quiet_to texts as quiet hours; nullopt (no quiet hours)
// when either is missing or malformed, or both are the same time.
[[nodiscard]] std::optional<QuietHours> parseQuietHours(std::string_view from, std::string_view to);

}  // namespace lanzhou::core
