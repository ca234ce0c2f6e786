#include "client/account/register_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

#include <utility>

#include "client/account/form_components.h"
#include "client/account/form_refusal.h"
#include "client/core/terms_text.h"
#include "ui/widgets/component_placement.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::account {
namespace {

QTextEdit* termsBox(QWidget* parent, const std::string& productTitleGbk) {
    auto* box = display::place(new QTextEdit(parent), "注册_ad6", {230, 32, 204, 248});
    box->setReadOnly(true);
    box->setAcceptRichText(false);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QString terms = display::fromGbk(core::termsOfService(productTitleGbk));
    terms.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(terms);
    box->setAccessibleName(QStringLiteral("服务条款"));
    box->verticalScrollBar()->setAccessibleName(QStringLiteral("服务条款滚动条"));
    return box;
}

}  // namespace

RegisterWindow::RegisterWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts,
                               const std::string& productTitleGbk, Actions actions, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("RegisterWindow"));
    setWindowTitle(QStringLiteral("账号注册"));
    setFixedSize(447, 290);
    setFont(display::songFont());

    m_account = formEdit(formLabel(this, "账    号：", "标签1", {11, 37, 67, 15}), "注册_ad1",
                         {93, 32, 128, 25});
    m_password = formEdit(formLabel(this, "密    码：", "标签2", {11, 73, 67, 15}), "注册_ad2",
                          {93, 68, 128, 25});
    m_repeat = formEdit(formLabel(this, "重复密码：", "标签3", {11, 109, 67, 15}), "注册_ad3",
                        {93, 104, 128, 25});
    m_qq = formEdit(formLabel(this, "联系 Q Q：", "标签4", {11, 146, 67, 15}), "注册_ad4",
                    {93, 141, 128, 25});
    m_phone = formEdit(formLabel(this, "联系电话：", "标签5", {11, 185, 67, 15}), "注册_ad5",
                       {93, 180, 128, 25});
    QLabel* note = formLabel(this, "*请填写真实资料，否则不予通过", "标签6", {23, 216, 200, 24});
    setTextColour(note, Qt::red);
    termsBox(this, productTitleGbk);
    QPushButton* registerButton = formButton(this, "注册", "按钮1", {10, 250, 88, 29});
    QPushButton* cancelButton = formButton(this, "取消", "按钮2", {133, 250, 88, 29});

    connect(registerButton, &QPushButton::clicked, this, &RegisterWindow::submit);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    attachDialogFrame(frame, this);
    m_account->setFocus(Qt::OtherFocusReason);
}

RegisterWindow::~RegisterWindow() = default;

core::Credentials RegisterWindow::credentials() const {
    return {display::toGbk(m_account->text()), display::toGbk(m_password->text())};
}

void RegisterWindow::submit() {
    if (!m_actions.submit) {
        return;
    }
    const core::RegistrationFields fields{
        display::toGbk(m_account->text()), display::toGbk(m_password->text()),
        display::toGbk(m_repeat->text()), display::toGbk(m_qq->text()),
        display::toGbk(m_phone->text())};
    showRefusal(m_prompts, this, m_actions.submit(fields));
}

}  // namespace lanzhou::account
