#include "ui/prompt/window_prompt_presenter.h"

#include <QPointer>

#include <utility>

#include "client/core/texts.h"
#include "ui/prompt/confirm_window.h"
#include "ui/prompt/countdown_prompt.h"
#include "ui/prompt/prompt_window.h"

namespace lanzhou::display {
namespace {

// Runs the window modally and deletes it afterwards. The owner may destroy
// the window while it is open (the process ends); then there is no answer.
int runModal(QDialog* window) {
    const QPointer<QDialog> guard(window);
    const int answer = window->exec();
    if (!guard) {
        return QDialog::Rejected;
    }
    delete guard.data();
    return answer;
}

}  // namespace

WindowPromptPresenter::WindowPromptPresenter(skin::SkinFrame& frame,
                                             std::function<void()> playChime)
    : m_frame(frame), m_playChime(std::move(playChime)) {}

void WindowPromptPresenter::setOwner(QWidget* owner) {
    m_owner = owner;
}

void WindowPromptPresenter::showPrompt(const std::string& text) {
    runModal(new PromptWindow(text, m_frame, m_playChime, m_owner));
}

void WindowPromptPresenter::showCountdownPrompt(const std::string& text) {
    runModal(new CountdownPrompt(text, m_frame, m_playChime, m_owner, m_countdownTick));
}

bool WindowPromptPresenter::confirmClose() {
    const int answer = runModal(
        new ConfirmWindow(core::gbk(core::text::kConfirmClose), m_frame, m_playChime, m_owner));
    if (answer == ConfirmWindow::Confirmed) {
        m_closeRefused = false;
    } else if (answer == ConfirmWindow::Cancelled) {
        m_closeRefused = true;
    }
    return !m_closeRefused;
}

}  // namespace lanzhou::display
