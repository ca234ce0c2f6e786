#include "ui/prompt/countdown_prompt.h"

#include <QPushButton>

namespace lanzhou::display {
namespace {

const PromptDialog::Design kDesign{{320, 114}, {2, 38, 316, 26}, {122, 74, 76, 27}};

}  // namespace

CountdownPrompt::CountdownPrompt(const std::string& textGbk, skin::SkinFrame& frame,
                                 const std::function<void()>& playChime, QWidget* owner,
                                 std::chrono::milliseconds interval)
    : PromptDialog(owner, QStringLiteral("CountdownPrompt"), QString(), kDesign) {
    setAccessibleName(QStringLiteral("提示"));  // the frame shows no caption
    connect(okButton(), &QPushButton::clicked, this, &QDialog::accept);
    openWith(frame, playChime, textGbk);

    m_counter = kStartCount;
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &CountdownPrompt::tick);
    m_timer.start();
}

void CountdownPrompt::tick() {
    okButton()->setText(QStringLiteral("确定(%1)").arg(m_counter));
    if (m_counter == 0) {
        m_timer.stop();
        accept();
        return;
    }
    --m_counter;
}

}  // namespace lanzhou::display
