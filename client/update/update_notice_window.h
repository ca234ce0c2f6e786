#pragma once

#include <QString>

#include <functional>

#include "ui/prompt/prompt_dialog.h"

class QWidget;

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::update {

// UpdateNoticeWindow ("发现新的版本："): offers the newer version in the
// layout of the close confirmation. "确定" (按钮1) accepts, "取消" (按钮2)
// and any other close reject. 标签1 holds the prompt; 画板1, never shown,
// stands for the panel the text is measured with (the label's font is the
// same). The chime plays, the frame is attached and the width fitted while it
// is built.
class UpdateNoticeWindow final : public display::PromptDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateNoticeWindow)

public:
    UpdateNoticeWindow(skin::SkinFrame& frame, std::function<void()> playChime,
                       const QString& promptText, QWidget* parent = nullptr);
};

}  // namespace lanzhou::update
