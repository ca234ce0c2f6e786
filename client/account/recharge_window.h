#pragma once

#include <QDialog>

#include <functional>
#include <optional>

#include "client/core/form_checks.h"

class QLineEdit;

namespace lanzhou::skin {
class SkinFrame;
}
namespace lanzhou::display {
class PromptPresenter;
}

namespace lanzhou::account {

// "账号充值": account, password and card number, "充值" / "取消". A thin
// view: the checks and the "#a2" request are the core's, given as an action;
// a refusal is shown and its field focused here. The answers only prompt, so
// the window stays open with its input until the member closes it. Texts
// crossing to the core are GBK.
class RechargeWindow final : public QDialog {
    Q_OBJECT

public:
    struct Actions {
        // The checks, then "#a2"; the refusal, if any.
        std::function<std::optional<core::FormRefusal>(const core::RechargeFields&)> submit;
    };

    // Design size 323 x 250, every component at its place, named by its
    // component name, the skinned frame attached; nothing focused.
    RechargeWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts, Actions actions,
                   QWidget* parent = nullptr);
    ~RechargeWindow() override;

    // Runs "充值" as the button does.
    void submit();

private:
    display::PromptPresenter& m_prompts;
    Actions m_actions;
    QLineEdit* m_account = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_card = nullptr;
};

}  // namespace lanzhou::account
