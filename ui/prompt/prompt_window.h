#pragma once

#include <functional>
#include <string>

#include "ui/prompt/prompt_dialog.h"

namespace lanzhou::display {

// PromptWindow ("提示："): the text and one "确定" ("确定_按钮") that closes
// the window. The chime plays and the frame is attached while it is built.
class PromptWindow final : public PromptDialog {
    Q_OBJECT

public:
    PromptWindow(const std::string& textGbk, skin::SkinFrame& frame,
                 const std::function<void()>& playChime, QWidget* owner = nullptr);
};

}  // namespace lanzhou::display
