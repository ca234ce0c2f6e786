#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/core/form_checks.h"
#include "client/core/session_view.h"

class QLineEdit;
class QTabWidget;

namespace lanzhou::skin {
class SkinFrame;
}
namespace lanzhou::display {
class PromptPresenter;
}

namespace lanzhou::account {

// "账号服务": the tab control 高级选择夹1 with the pages "修改密码" (account,
// new password twice, contact QQ and telephone) and "密码找回" (account,
// contact QQ and telephone, and the retrieved password). A thin view: the
// checks and the "#a4" / "#a5" requests are the core's, given as actions; a
// refusal is shown and its field focused here. A successful change reads
// changeCredentials() and closes the window (done) from outside. Texts
// crossing to the core are GBK.
class AccountServiceWindow final : public QDialog {
    Q_OBJECT

public:
    struct Actions {
        std::function<std::optional<core::FormRefusal>(const core::ChangePasswordFields&)> change;
        std::function<std::optional<core::FormRefusal>(const core::RetrievePasswordFields&)>
            retrieve;
    };

    // Design size 283 x 289, every component at its place, named by its
    // component name, the skinned frame attached; the fields empty and nothing
    // focused.
    AccountServiceWindow(skin::SkinFrame& frame, display::PromptPresenter& prompts, Actions actions,
                         QWidget* parent = nullptr);
    ~AccountServiceWindow() override;

    // The retrieval answer: 结果_ad1 shows it, replacing what was there.
    void setRetrievedPassword(const std::string& passwordGbk);
    // 修改_ad1 and 修改_ad2, GBK.
    core::Credentials changeCredentials() const;

    // Run "修改密码" and "找回密码" as the buttons do.
    void submitChange();
    void submitRetrieve();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* addPage(const char* title);
    // Keeps a page component's design place (its geometry now).
    template <typename T>
    T* onPage(T* component) {
        m_pagePlaces.emplace_back(component, component->geometry());
        return component;
    }
    void placeOnPages();

    display::PromptPresenter& m_prompts;
    Actions m_actions;
    QTabWidget* m_tabs = nullptr;
    QWidget* m_pageStack = nullptr;  // holds the pages
    // Page components by their places in the tab control (see placeOnPages).
    std::vector<std::pair<QPointer<QWidget>, QRect>> m_pagePlaces;

    QLineEdit* m_changeAccount = nullptr;
    QLineEdit* m_newPassword = nullptr;
    QLineEdit* m_confirm = nullptr;
    QLineEdit* m_changeQq = nullptr;
    QLineEdit* m_changePhone = nullptr;
    QLineEdit* m_retrieveAccount = nullptr;
    QLineEdit* m_retrieveQq = nullptr;
    QLineEdit* m_retrievePhone = nullptr;
    QLineEdit* m_result = nullptr;
};

}  // namespace lanzhou::account
