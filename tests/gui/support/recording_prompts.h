#pragma once

#include <string>
#include <vector>

#include "ui/prompt/prompt_presenter.h"

namespace lanzhou::test {

// A prompt presenter that records the texts (GBK) instead of opening windows;
// the closing confirmation is answered with `closeAnswer` ("确定": true).
class RecordingPrompts final : public display::PromptPresenter {
public:
    void showPrompt(const std::string& text) override { prompts.push_back(text); }
    void showCountdownPrompt(const std::string& text) override { countdowns.push_back(text); }
    bool confirmClose() override {
        ++confirmations;
        return closeAnswer;
    }

    std::vector<std::string> prompts;
    std::vector<std::string> countdowns;
    int confirmations = 0;
    bool closeAnswer = true;
};

}  // namespace lanzhou::test
