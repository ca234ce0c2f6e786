#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "ui/prompt/prompt_dialog.h"

class QPushButton;

namespace lanzhou::display {

// ConfirmWindow ("提示："): the question, "确定" ("确定_按钮") and "取消"
// ("取消_按钮"). exec() returns the answer: Confirmed, Cancelled (also
// Escape, which means "取消"), or NoAnswer when the window was closed by
// its frame.
class ConfirmWindow final : public PromptDialog {
    Q_OBJECT

public:
    enum Answer { NoAnswer = QDialog::Rejected, Confirmed = QDialog::Accepted, Cancelled = 2 };

    ConfirmWindow(const std::string& textGbk, skin::SkinFrame& frame,
                  const std::function<void()>& playChime, QWidget* owner = nullptr);

    QPushButton* cancelButton() const { return m_cancelButton; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* m_cancelButton = nullptr;
};

}  // namespace lanzhou::display
