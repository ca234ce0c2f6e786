#include "client/core/quiet_hours.h"

namespace lanzhou::core {

namespace {

std::optional<int> twoDigits(char high, char low) {
    if (high < '0' || high > '9' || low < '0' || low > '9') {
        return std::nullopt;
    }
    return (high - '0') * 10 + (low - '0');
}

}  // namespace

bool QuietHours::contains(const protocol::DateTime& time) const {
    const int minute = time.hour * 60 + time.minute;
    if (from < to) {
        return minute >= from && minute < to;
    }
    return minute >= from || minute < to;
}

std::optional<int> parseClockMinute(std::string_view text) {
    if (text.size() != 5 || text[2] != ':') {
        return std::nullopt;
    }
    const auto hours = twoDigits(text[0], text[1]);
    const auto minutes = twoDigits(text[3], text[4]);
    if (!hours || !minutes || *hours > 23 || *minutes > 59) {
        return std::nullopt;
    }
    return *hours * 60 + *minutes;
}

std::optional<QuietHours> parseQuietHours(std::string_view from, std::string_view to) {
    const auto start = parseClockMinute(from);
    const auto end = parseClockMinute(to);
    if (!start || !end || *start == *end) {
        return std::nullopt;
    }
    return QuietHours{*start, *end};
}

}  // namespace lanzhou::core
