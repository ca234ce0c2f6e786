#include "client/update/update_notice_window.h"

#include <QLabel>
#include <QPushButton>

#include "ui/widgets/component_placement.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::update {
namespace {

using display::place;

const display::PromptDialog::Design kDesign{{289, 114}, {0, 38, 289, 26}, {45, 74, 77, 27}};

}  // namespace

UpdateNoticeWindow::UpdateNoticeWindow(skin::SkinFrame& frame, std::function<void()> playChime,
                                       const QString& promptText, QWidget* parent)
    : PromptDialog(parent, QStringLiteral("UpdateNoticeWindow"), QStringLiteral("发现新的版本："),
                   kDesign) {
    place(new QWidget(this), "画板1", {136, 16, 48, 16})->hide();
    auto* cancel = place(new QPushButton(QStringLiteral("取消"), this), "按钮2", {171, 72, 77, 27});
    okButton()->setObjectName(QStringLiteral("按钮1"));
    label()->setObjectName(QStringLiteral("标签1"));
    connect(okButton(), &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    openWith(frame, playChime, display::toGbk(promptText));
}

}  // namespace lanzhou::update
