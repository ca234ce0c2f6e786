#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

#include "client/core/form_checks.h"
#include "client/core/session_view.h"

class QLineEdit;

namespace lanzhou::skin {
class SkinFrame;
}
namespace lanzhou::display {
class PromptPresenter;
}

namespace lanzhou::account {

// "账号注册": account, password twice, contact QQ and telephone beside the
// terms of service, and "注册" / "取消". A thin view: the checks and the "#a1"
// request are the core's, given as an action; a refusal is shown and its
// field focused here. The window never waits for the answer: a successful one
// reads credentials() and closes the window (done) from outside. Texts crossing
// to the core are GBK.
class RegisterWindow final : public QDialog {
    Q_OBJECT

public:
    struct Actions {
        // The checks, then "#a1"; the refusal, if any.
        std::function<std::optional<core::FormRefusal>(const core::RegistrationFields&)> submit;
    };

    // Design size 447 x 290, every component at its place, named by its
    // component name; the terms filled for `productTitleGbk` (empty: the
    // product name left out), the skinned frame attached, the account focused.
    RegisterWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts,
                   const std::string& productTitleGbk, Actions actions, QWidget* parent = nullptr);
    ~RegisterWindow() override;

    // 注册_ad1 and 注册_ad2, GBK.
    core::Credentials credentials() const;

    // Runs "注册" as the button does.
    void submit();

private:
    display::PromptPresenter& m_prompts;
    Actions m_actions;
    QLineEdit* m_account = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_repeat = nullptr;
    QLineEdit* m_qq = nullptr;
    QLineEdit* m_phone = nullptr;
};

}  // namespace lanzhou::account
