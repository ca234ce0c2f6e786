#include "ui/prompt/prompt_window.h"

#include <QPushButton>

namespace lanzhou::display {
namespace {

const PromptDialog::Design kDesign{{320, 114}, {2, 38, 316, 26}, {122, 74, 76, 27}};

}  // namespace

PromptWindow::PromptWindow(const std::string& textGbk, skin::SkinFrame& frame,
                           const std::function<void()>& playChime, QWidget* owner)
    : PromptDialog(owner, QStringLiteral("PromptWindow"), QStringLiteral("提示："), kDesign) {
    connect(okButton(), &QPushButton::clicked, this, &QDialog::accept);
    openWith(frame, playChime, textGbk);
}

}  // namespace lanzhou::display
