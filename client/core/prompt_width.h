#pragma once

#include <cstddef>

namespace lanzhou::core {

// The prompt windows widen themselves for long texts: estimate = GBK bytes of
// the text times the width of "A"; above 320 pixels the window becomes
// estimate + 16 wide, the label estimate + 12 and the button is centred.
struct PromptLayout {
    int windowWidth = 320;
    int labelWidth = 316;
    int buttonLeft = 122;

    friend bool operator==(const PromptLayout&, const PromptLayout&) = default;
};

inline constexpr int kPromptWidthLimit = 320;

PromptLayout fitPromptWidth(std::size_t textBytes, int letterWidth, PromptLayout design);

}  // namespace lanzhou::core
