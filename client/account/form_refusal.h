#pragma once

#include <optional>

#include "client/core/form_checks.h"

class QWidget;

namespace lanzhou::display {
class PromptPresenter;
}

namespace lanzhou::account {

// Shows a form's refusal (when there is one) with showPrompt and, once the
// member has closed the prompt, gives the keyboard focus to the component it
// names among the window's descendants. The prompt is modal, so the window may
// be closed or destroyed meanwhile: then nothing is focused.
void showRefusal(display::PromptPresenter& prompts, QWidget* window,
                 const std::optional<core::FormRefusal>& refusal);

}  // namespace lanzhou::account
