#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cli/event_writer.h"
#include "cli/membership_watch.h"
#include "client/core/alert_list_model.h"
#include "client/core/session_view.h"

namespace lanzhou::core {
class SessionCore;
class Scheduler;
}  // namespace lanzhou::core

namespace lanzhou::cli {

// The windows of the desktop client, as lines of JSON: every prompt, the main
// window opening, popups, the alert list edits, the end of the session. It
// also holds what the windows would hold: the login form and the account
// windows left open by a command. Session thread only.
class JsonView final : public core::SessionView, public core::AlertListObserver {
public:
    // `endSession` ends the program with an exit status (the loop's quit).
    JsonView(EventWriter& writer, core::Scheduler& scheduler, std::function<void(int)> endSession);

    // Takes the remembered credentials into the login form (box ticked) and
    // follows the core's alert lists. Call once, before the session opens.
    void attach(core::SessionCore& core);

    // ---- what the commands do to the windows
    void fillLoginForm(const core::Credentials& credentials);
    void setRememberBox(bool ticked) { m_form.remember = ticked; }
    // The registration or account service window is open with these fields
    // until a success answer adopts them.
    void openRegisterWindow(core::Credentials credentials);
    void openAccountServiceWindow(core::Credentials credentials);
    // A prompt with the component that gets the focus (empty: none).
    void prompt(const std::string& text, std::string_view focus);
    // Both lists, every row, top first.
    void writeLists();
    // Anything the commands want to say (UTF-8 texts already).
    void writeEvent(const nlohmann::json& event);

    // ---- core::SessionView
    void applyLoginConfig(const core::LoginWindowConfig& config) override;
    core::LoginFormState loginForm() const override { return m_form; }
    void setLoginCredentials(const core::Credentials& credentials) override;
    void showBulletin(const std::string& pageHtml) override;
    void setRetrievedPassword(const std::string& password) override;
    std::optional<core::Credentials> takeRegisterWindowCredentials() override;
    std::optional<core::Credentials> takeAccountServiceCredentials() override;
    void showPrompt(const std::string& text) override;
    void showCountdownPrompt(const std::string& text) override;
    void enterMain() override;
    void closeMainOrLogin() override;
    void offerUpdate() override;
    void openPopup() override;
    void connectionClosed(const std::string& text) override;
    void showReconnecting(int attempt, std::chrono::milliseconds delay) override;
    void showReconnected() override;
    void showSummary(core::SummaryReason reason, int newAlerts) override;

    // ---- core::AlertListObserver
    void rowInserted(core::AlertListId list, int row) override;
    void rowChanged(core::AlertListId list, int row) override;
    void rowRemoved(core::AlertListId list, int row) override;
    void listsReset() override;

private:
    void writeRowEvent(const char* name, core::AlertListId list, int row);
    void membershipEnded();

    EventWriter& m_writer;
    std::function<void(int)> m_endSession;
    MembershipWatch m_watch;
    core::SessionCore* m_core = nullptr;
    core::LoginFormState m_form;
    std::optional<core::Credentials> m_registerWindow;
    std::optional<core::Credentials> m_accountServiceWindow;
    bool m_ended = false;
};

}  // namespace lanzhou::cli
