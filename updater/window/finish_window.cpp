#include "updater/window/finish_window.h"

#include <QLabel>
#include <QPushButton>

#include "ui/skin/skin_frame.h"
#include "ui/widgets/component_placement.h"
#include "updater/window/updater_texts.h"

namespace lanzhou::updater {

using display::place;

FinishWindow::FinishWindow(skin::SkinFrame& frame, const std::function<void()>& playChime,
                           const QString& prompt, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FinishWindow"));
    setFixedSize(320, 114);
    setFont(display::songFont());

    if (playChime) {
        playChime();
    }

    m_prompt = place(new QLabel(prompt, this), "promptLabel", QRect(2, 38, 316, 26));
    m_prompt->setAlignment(Qt::AlignCenter);

    auto* ok = place(new QPushButton(texts::okButton(), this), "okButton", QRect(122, 74, 76, 27));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    frame.Attach(this, skin::dialogAttachOptions());
}

QString FinishWindow::prompt() const {
    return m_prompt->text();
}

void FinishWindow::setPrompt(const QString& prompt) {
    m_prompt->setText(prompt);
}

}  // namespace lanzhou::updater
