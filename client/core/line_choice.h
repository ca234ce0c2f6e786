#pragma once

#include <string_view>

namespace lanzhou::core {

// Which of the service's two network lines the member chose. The "xl" key of
// k_config.ini holds it as text: "1" the netcom line, anything else telecom.
enum class LineChoice { Telecom, Netcom };

// The "xl" text that reads back as `line`.
constexpr std::string_view lineChoiceText(LineChoice line) {
    return line == LineChoice::Netcom ? "1" : "0";
}

}  // namespace lanzhou::core
