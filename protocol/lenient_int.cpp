#include "protocol/lenient_int.h"

#include <cstddef>
#include <limits>
#include <string>

namespace lanzhou::protocol {

std::int32_t lenientInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate in 64 bits and stop growing once past the 32-bit range, so
    // any number of digits is safe.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (magnitude <= kLimit) {
            magnitude = magnitude * 10 + (text[i] - '0');
        }
        ++i;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t versionNumber(std::string_view text) {
    std::string narrowed;
    narrowed.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80 || i + 1 >= text.size()) {
            narrowed.push_back(text[i]);
            ++i;
            continue;
        }
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9) {
            narrowed.push_back(static_cast<char>('0' + (trail - 0xB0)));
        } else if (lead == 0xA3 && trail == 0xAB) {
            narrowed.push_back('+');
        } else if (lead == 0xA3 && trail == 0xAD) {
            narrowed.push_back('-');
        } else if ((lead == 0xA1 && trail == 0xA1) || (lead == 0xA3 && trail == 0xA0)) {
            narrowed.push_back(' ');
        } else {
            narrowed.append(text.substr(i, 2));
        }
        i += 2;
    }
    return lenientInt(narrowed);
}

}  // namespace lanzhou::protocol
