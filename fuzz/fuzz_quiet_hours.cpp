// The quiet hours as k_config.ini holds them, on arbitrary bytes: a time is
// either refused or a minute of the day, quiet hours are never empty, and
// judging any time of day against them only answers.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "client/core/quiet_hours.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lanzhou;
    FuzzedDataProvider input(data, size);
    const std::string from = input.ConsumeRandomLengthString(16);
    const std::string to = input.ConsumeRandomLengthString(16);
    for (const std::string* text : {&from, &to}) {
        const std::optional<int> minute = core::parseClockMinute(*text);
        if (minute && (*minute < 0 || *minute >= 24 * 60 || text->size() != 5)) {
            std::abort();
        }
    }
    const std::optional<core::QuietHours> hours = core::parseQuietHours(from, to);
    if (!hours) {
        return 0;
    }
    if (hours->from == hours->to) {
        std::abort();  // equal times are no quiet hours
    }
    protocol::DateTime time;
    time.year = 2024;
    time.month = 3;
    time.day = 10;
    time.hour = input.ConsumeIntegralInRange(0, 23);
    time.minute = input.ConsumeIntegralInRange(0, 59);
    // The start is inside and the end outside, whatever the interval.
    const bool inside = hours->contains(time);
    const int minute = time.hour * 60 + time.minute;
    if ((minute == hours->from && !inside) || (minute == hours->to && inside)) {
        std::abort();
    }
    return 0;
}
