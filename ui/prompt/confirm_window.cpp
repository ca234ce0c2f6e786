#include "ui/prompt/confirm_window.h"

#include <QKeyEvent>
#include <QPushButton>

namespace lanzhou::display {
namespace {

const PromptDialog::Design kDesign{{289, 114}, {0, 38, 289, 26}, {45, 74, 77, 27}};
const QRect kCancelButton{171, 72, 77, 27};

}  // namespace

ConfirmWindow::ConfirmWindow(const std::string& textGbk, skin::SkinFrame& frame,
                             const std::function<void()>& playChime, QWidget* owner)
    : PromptDialog(owner, QStringLiteral("ConfirmWindow"), QStringLiteral("提示："), kDesign) {
    m_cancelButton = new QPushButton(QStringLiteral("取消"), this);
    m_cancelButton->setObjectName(QStringLiteral("取消_按钮"));
    m_cancelButton->setGeometry(kCancelButton);
    connect(okButton(), &QPushButton::clicked, this, [this] { done(Confirmed); });
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { done(Cancelled); });
    openWith(frame, playChime, textGbk);
}

void ConfirmWindow::keyPressEvent(QKeyEvent* event) {
    // Escape answers as "取消" does (a dialog would otherwise take it as a
    // close without an answer, which lets the program end).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        done(Cancelled);
        return;
    }
    PromptDialog::keyPressEvent(event);
}

}  // namespace lanzhou::display
