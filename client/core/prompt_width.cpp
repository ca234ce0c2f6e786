#include "client/core/prompt_width.h"

#include <cstdint>

namespace lanzhou::core {

PromptLayout fitPromptWidth(std::size_t textBytes, int letterWidth, PromptLayout design) {
    // Worked in 64 bits and kept within int: a prompt text comes from the
    // server and may be long.
    constexpr std::int64_t kMaxWidth = 1 << 20;
    const std::int64_t letter = letterWidth < 0 ? 0 : letterWidth;
    const std::int64_t bytes = textBytes > static_cast<std::size_t>(kMaxWidth)
                                   ? kMaxWidth
                                   : static_cast<std::int64_t>(textBytes);
    std::int64_t estimate = bytes * letter;
    if (estimate <= kPromptWidthLimit) {
        return design;
    }
    if (estimate > kMaxWidth) {
        estimate = kMaxWidth;
    }
    PromptLayout layout = design;
    layout.windowWidth = static_cast<int>(estimate + 16);
    layout.labelWidth = static_cast<int>(estimate + 12);
    layout.buttonLeft = layout.windowWidth / 2 - 38;
    return layout;
}

}  // namespace lanzhou::core
