#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/core/form_checks.h"
#include "client/core/line_choice.h"
#include "client/core/session_view.h"

namespace lanzhou::skin {
class SkinFrame;
}
namespace lanzhou::display {
class HtmlView;
class PromptPresenter;
}  // namespace lanzhou::display

namespace lanzhou::account {

// The start-up window: account, password, the remember box, the login
// button, the registration and recharge labels, the support picture buttons
// and the bulletin browser. It stays alive (hidden after login) until the
// program ends. A thin view: checks and requests are the core's, given as
// actions. Texts crossing to the core are GBK.
class LoginWindow final : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        // The checks, then "#a3"; a refusal is shown and focused here.
        std::function<std::optional<core::FormRefusal>(const core::LoginFields&)> login;
        // 选择框1 clicked: the remembered credentials written at once.
        std::function<void(bool ticked, const core::Credentials& form)> rememberClicked;
        std::function<void()> openRegister;         // 注册_标签
        std::function<void()> openRecharge;         // 充值_标签
        std::function<void()> openSettings;         // the frame's main-menu button
        std::function<void()> openAccountService;   // the frame's help button
        std::function<void()> openSupportQq;        // 图形按钮1
        std::function<void()> openSupportShopChat;  // 图形按钮2
    };

    // Design size 452 x 428; every component at its place, named by its
    // component name. `prompts` shows the refusals.
    LoginWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts, Actions actions,
                QWidget* parent = nullptr);
    ~LoginWindow() override;

    // With remembered credentials (zx "1"): fills both edits, ticks the box
    // and focuses the password; otherwise focuses the account.
    void fillRemembered(const std::optional<core::Credentials>& remembered);
    // Attaches the frame (banner 279, status bar, minimize, help and main
    // menu, fixed size), restyles the children, shows the line's status text
    // and binds the main-menu and help buttons.
    void attachFrame(core::LineChoice line);

    // ---- what the session changes
    void applyConfig(const core::LoginWindowConfig& config);
    core::LoginFormState form() const;
    void setCredentials(const core::Credentials& credentials);
    void showBulletin(const std::string& documentGbk);
    display::HtmlView& bulletinView();

    // Runs the login as the button does.
    void login();

signals:
    // The member closed the window (the program ends).
    void closedByMember();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::account
