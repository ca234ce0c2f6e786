#include "client/account/recharge_window.h"

#include <QLineEdit>
#include <QPushButton>

#include <utility>

#include "client/account/form_components.h"
#include "client/account/form_refusal.h"
#include "ui/widgets/component_placement.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::account {

RechargeWindow::RechargeWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts,
                               Actions actions, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("RechargeWindow"));
    setWindowTitle(QStringLiteral("账号充值"));
    setFixedSize(323, 250);
    setFont(display::songFont());

    // The password is shown as typed.
    m_account = formEdit(formLabel(this, "账    号：", "标签1", {16, 61, 67, 15}), "充值_ad1",
                         {98, 56, 198, 25});
    m_password = formEdit(formLabel(this, "密    码：", "标签2", {16, 97, 67, 15}), "充值_ad2",
                          {98, 92, 198, 25});
    m_card = formEdit(formLabel(this, "充 值 卡：", "标签3", {16, 133, 67, 15}), "充值_ad3",
                      {98, 128, 198, 25});
    QPushButton* rechargeButton = formButton(this, "充值", "按钮1", {40, 184, 88, 29});
    QPushButton* cancelButton = formButton(this, "取消", "按钮2", {179, 184, 88, 29});

    connect(rechargeButton, &QPushButton::clicked, this, &RechargeWindow::submit);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    attachDialogFrame(frame, this);
}

RechargeWindow::~RechargeWindow() = default;

void RechargeWindow::submit() {
    if (!m_actions.submit) {
        return;
    }
    const core::RechargeFields fields{display::toGbk(m_account->text()),
                                      display::toGbk(m_password->text()),
                                      display::toGbk(m_card->text())};
    showRefusal(m_prompts, this, m_actions.submit(fields));
}

}  // namespace lanzhou::account
