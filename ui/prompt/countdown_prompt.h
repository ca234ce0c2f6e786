#pragma once

#include <QTimer>

#include <chrono>
#include <functional>
#include <string>

#include "ui/prompt/prompt_dialog.h"

namespace lanzhou::display {

// CountdownPrompt (no caption): the text and a "确定" ("确定_按钮") that
// counts down. Each tick shows "确定(n)" for n = 10 down to 0 and the
// eleventh tick closes the window; "确定" closes it at once.
class CountdownPrompt final : public PromptDialog {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kTick{1000};
    static constexpr int kStartCount = 10;

    CountdownPrompt(const std::string& textGbk, skin::SkinFrame& frame,
                    const std::function<void()>& playChime, QWidget* owner = nullptr,
                    std::chrono::milliseconds interval = kTick);

    // One step of the countdown, as the timer makes it every tick.
    void tick();

private:
    QTimer m_timer;
    int m_counter = kStartCount;
};

}  // namespace lanzhou::display
