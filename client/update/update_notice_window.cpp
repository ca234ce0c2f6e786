#include "client/update/update_notice_window.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "client/core/prompt_width.h"
#include "client/display/component_placement.h"
#include "client/display/qt_text.h"
#include "ui/skin/skin_frame.h"

namespace lanzhou::update {
namespace {

using display::place;

constexpr int kBannerHeight = 24;  // the frame raises it to its smallest, 26
const QSize kDesignSize(289, 114);
const QRect kLabel(0, 38, 289, 26);
const QRect kOkButton(45, 74, 77, 27);

// The frame paints the content area in a near-white tint of its colour.
const QColor kTextColour(0x1f, 0x1f, 0x1f);

}  // namespace

UpdateNoticeWindow::UpdateNoticeWindow(skin::SkinFrame& frame, std::function<void()> playChime,
                                       const QString& promptText, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("UpdateNoticeWindow"));
    setWindowTitle(QStringLiteral("发现新的版本："));
    setModal(true);
    setFixedSize(kDesignSize);
    setFont(display::songFont());

    m_measure = place(new QWidget(this), "画板1", {136, 16, 48, 16});
    m_measure->hide();
    auto* cancel = place(new QPushButton(QStringLiteral("取消"), this), "按钮2", {171, 72, 77, 27});
    m_okButton = place(new QPushButton(QStringLiteral("确定"), this), "按钮1", kOkButton);
    m_okButton->setDefault(true);
    m_label = place(new QLabel(this), "标签1", kLabel);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(false);
    m_label->setTextFormat(Qt::PlainText);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, kTextColour);
    m_label->setPalette(palette);

    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (playChime) {
        playChime();
    }
    skin::AttachOptions options;
    options.bannerHeight = kBannerHeight;
    options.statusHeight = 0;
    options.minimizeButton = false;
    options.maximizeButton = false;
    frame.Attach(this, options);
    fitWidth(promptText);
    m_label->setText(promptText);
}

void UpdateNoticeWindow::fitWidth(const QString& promptText) {
    const int letterWidth = QFontMetrics(m_measure->font()).horizontalAdvance(QLatin1Char('A'));
    const core::PromptLayout design{kDesignSize.width(), kLabel.width(), kOkButton.left()};
    const core::PromptLayout fitted =
        core::fitPromptWidth(display::toGbk(promptText).size(), letterWidth, design);
    if (fitted == design) {
        return;
    }
    setFixedSize(fitted.windowWidth, kDesignSize.height());
    m_label->setGeometry(kLabel.left(), kLabel.top(), fitted.labelWidth, kLabel.height());
    m_okButton->move(fitted.buttonLeft, kOkButton.top());
}

}  // namespace lanzhou::update
