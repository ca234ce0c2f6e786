#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "client/account/login_window.h"
#include "client/core/form_checks.h"
#include "client/core/texts.h"
#include "tests/gui/support/recording_prompts.h"
#include "tests/gui/support/widget_lookup.h"
#include "ui/skin/skin_frame.h"
#include "ui/widgets/qt_text.h"

namespace lanzhou::test {

using core::gbk;

// What the login window asked of the session, in order.
struct RecordedActions {
    std::vector<core::LoginFields> sentLogins;  // passed the checks ("#a3" would go out)
    std::vector<std::pair<bool, core::Credentials>> rememberClicks;
    int openRegister = 0;
    int openRecharge = 0;
    int openSettings = 0;
    int openAccountService = 0;
    int openSupportQq = 0;
    int openSupportShopChat = 0;
};

// The actions as the session gives them: the login runs the core's checks
// and records what would be sent; every other action is counted.
inline account::LoginWindow::Actions recordingActions(RecordedActions& record) {
    account::LoginWindow::Actions actions;
    actions.login = [&record](const core::LoginFields& fields) {
        std::optional<core::FormRefusal> refusal = core::checkLogin(fields);
        if (!refusal) {
            record.sentLogins.push_back(fields);
        }
        return refusal;
    };
    actions.rememberClicked = [&record](bool ticked, const core::Credentials& form) {
        record.rememberClicks.emplace_back(ticked, form);
    };
    actions.openRegister = [&record] { ++record.openRegister; };
    actions.openRecharge = [&record] { ++record.openRecharge; };
    actions.openSettings = [&record] { ++record.openSettings; };
    actions.openAccountService = [&record] { ++record.openAccountService; };
    actions.openSupportQq = [&record] { ++record.openSupportQq; };
    actions.openSupportShopChat = [&record] { ++record.openSupportShopChat; };
    return actions;
}

// One login window per test, with its own frame, recording prompts and
// recording actions.
class LoginWindowTest : public ::testing::Test {
protected:
    void SetUp() override { build(recordingActions(record)); }

    // Rebuilds the window with other actions.
    void build(account::LoginWindow::Actions actions) {
        window.reset();
        window = std::make_unique<account::LoginWindow>(frame, prompts, std::move(actions));
    }

    template <typename T = QWidget>
    T* component(const char* name) {
        return child<T>(window.get(), QString::fromUtf8(name));
    }

    skin::SkinFrame frame;
    RecordingPrompts prompts;
    RecordedActions record;
    std::unique_ptr<account::LoginWindow> window;
};

}  // namespace lanzhou::test
