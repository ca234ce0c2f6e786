#pragma once

#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <string>

#include "ui/prompt/prompt_presenter.h"

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::display {

// The real prompts: PromptWindow, CountdownPrompt and ConfirmWindow, each
// opened modally with the owner window (the login window) as parent, the
// chime played first. Holds CloseRefused for the whole process.
class WindowPromptPresenter final : public PromptPresenter {
public:
    // `playChime` starts the built-in chime without waiting.
    WindowPromptPresenter(skin::SkinFrame& frame, std::function<void()> playChime);

    // The owner of the prompts (may be set after construction; none: no owner).
    void setOwner(QWidget* owner);
    // The countdown's tick (one second; tests make it shorter).
    void setCountdownTick(std::chrono::milliseconds tick) { m_countdownTick = tick; }

    void showPrompt(const std::string& text) override;
    void showCountdownPrompt(const std::string& text) override;
    bool confirmClose() override;

    bool closeRefused() const { return m_closeRefused; }

private:
    skin::SkinFrame& m_frame;
    std::function<void()> m_playChime;
    QPointer<QWidget> m_owner;
    bool m_closeRefused = false;
    std::chrono::milliseconds m_countdownTick{1000};
};

}  // namespace lanzhou::display
